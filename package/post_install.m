% Run by pkg install after it has copied the package: moves each module's help file NAME.m
% from the package folder into the architecture folder beside NAME.mex, where Octave looks
% for the help text and the self-tests of a MEX file (pkg puts every .m in the package
% folder and every .mex in the architecture folder).
function post_install(desc)
  modules = dir(fullfile(desc.archprefix, '*', '*.mex'));
  for i = 1:numel(modules)
    [~, name] = fileparts(modules(i).name);
    help_file = fullfile(desc.dir, [name '.m']);
    if exist(help_file, 'file')
      target = fullfile(modules(i).folder, [name '.m']);
      [ok, msg] = movefile(help_file, target);
      if ~ok
        error('post_install: cannot move %s to %s: %s', help_file, target, msg);
      end
    end
  end
end
