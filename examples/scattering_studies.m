% The scattering studies against the Mie series, one after another or by name:
%   pec         PEC sphere, ka = 1                       (pec_sphere_study.m)
%   dielectric  dielectric sphere, eps_r = 4, ka = 0.8   (dielectric_sphere_study.m)
%   coated      PEC sphere with a dielectric coating     (coated_sphere_study.m)
% Each prints its table and writes its plot into build/, at its default size.
%
% Run from anywhere after building:
%   octave-cli --eval "run('examples/scattering_studies.m')"                      % all three
%   octave-cli --eval "studies = {'coated'}; run('examples/scattering_studies.m')"

here = fileparts(mfilename('fullpath'));
if ~exist('studies', 'var')
  studies = {'pec', 'dielectric', 'coated'};
end
scripts = struct('pec', 'pec_sphere_study.m', 'dielectric', 'dielectric_sphere_study.m', ...
                 'coated', 'coated_sphere_study.m');
for i = 1:numel(studies)
  if ~isfield(scripts, studies{i})
    error('unknown study "%s": choose pec, dielectric or coated', studies{i});
  end
end
for i = 1:numel(studies)
  fprintf('\n==== %s ====\n', studies{i});
  clear unknowns plot_file;   % each study at its own defaults
  run(fullfile(here, scripts.(studies{i})));
end
