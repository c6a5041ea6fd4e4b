% MOM_VERSION  Release number of the modules and the toolkit.
%   v = mom_version() returns the release number as text, for example '1.0.0'.
%   [v, parts] = mom_version() also returns its numeric parts, for example [1 0 0], which
%   compare as numbers (parts(1) >= 1).
%   mom_version() without an output prints it.
%
%   The number is defined once, in the file VERSION at the root of the sources (installed
%   beside this function by the Octave package); the modules' help texts carry the same
%   number (help hybrid_matrix, last line).
%
%   Example:
%       fprintf('hybrid-mom %s\n', mom_version());
%
%   See also TOOLKIT_SETUP, BUILD_MODULES.
function [v, parts] = mom_version()
  here = fileparts(mfilename('fullpath'));
  % Beside this file in an installed package; at the root of the sources otherwise.
  candidates = {fullfile(here, 'VERSION'), fullfile(fileparts(here), 'VERSION')};
  v = '';
  for i = 1:numel(candidates)
    if exist(candidates{i}, 'file')
      v = strtrim(fileread(candidates{i}));
      break;
    end
  end
  if isempty(v)
    error('mom_version:missing', 'mom_version: no VERSION file beside %s or above it', here);
  end
  parts = str2double(regexp(regexprep(v, '[^0-9.].*$', ''), '\.', 'split'));
  if nargout == 0
    fprintf('hybrid-mom %s\n', v);
    clear v;
  end
end

%!test
%! [v, parts] = mom_version();
%! assert(ischar(v) && ~isempty(regexp(v, '^\d+\.\d+\.\d+', 'once')));
%! assert(numel(parts) >= 3 && all(parts == fix(parts)) && all(parts >= 0));
%! assert(sprintf('%d.%d.%d', parts(1:3)), regexp(v, '^\d+\.\d+\.\d+', 'match', 'once'));
%!test
%! % The modules' help texts carry the same number when the modules are on the path.
%! if exist('dense_system', 'file') == 3
%!   assert(~isempty(strfind(help('dense_system'), ['hybrid-mom ' mom_version()])));
%! end
