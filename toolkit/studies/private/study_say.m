% Prints a study's stage line ("  ... what") at once when opt.verbose is set.
function study_say(opt, varargin)
  if opt.verbose
    fprintf('  ... %s\n', sprintf(varargin{:}));
    if exist('OCTAVE_VERSION', 'builtin')
      fflush(stdout);
    end
  end
end
