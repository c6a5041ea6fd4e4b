% Options of a study function: the defaults in opt, overridden by an options struct or by
% name/value pairs (args, the study's varargin). A malformed list or an unknown name ends with
% the study's error, and so does a MEX module of `modules` (cell array of names) that is not
% on the path.
function opt = study_options(study, opt, args, modules)
  if numel(args) == 1 && isstruct(args{1})
    names = fieldnames(args{1});
    values = struct2cell(args{1});
  elseif mod(numel(args), 2) == 0
    names = args(1:2:end);
    values = args(2:2:end);
  else
    error([study ':usage'], 'usage: result = %s(options) or (''name'', value, ...)', study);
  end
  for i = 1:numel(names)
    if ~ischar(names{i}) || ~isfield(opt, names{i})
      error([study ':option'], '%s: unknown option "%s"', study, num2str(names{i}));
    end
    opt.(names{i}) = values{i};
  end
  for need = modules
    if exist(need{1}) ~= 3
      error([study ':module'], ['%s: the %s module is not on the path ' ...
            '(build the project and add its build/mex folder)'], study, need{1});
    end
  end
end
