% Ctrl-C: a pending interrupt ends a long call at its next poll, through the host's own
% interrupt handling, and the call's working objects are released. An interrupt cannot be
% caught in the same session, so a child octave-cli runs the call.
probe_dir = fileparts(which('host_probe'));
child = sprintf(['addpath(''%s''); unwind_protect; x = host_probe(9); ' ...
                 'printf(''returned %%d\\n'', x); unwind_protect_cleanup; ' ...
                 'printf(''live %%d\\n'', host_probe(10)); end_unwind_protect'], probe_dir);
octave = fullfile(OCTAVE_HOME, 'bin', 'octave-cli');
[~, out] = system(sprintf('"%s" --no-gui --norc --quiet --eval "%s" 2>&1', octave, child));
assert(isempty(strfind(out, 'returned')), ['the call was not interrupted: ' out]);
assert(~isempty(strfind(out, 'live 0')), ['working objects not released: ' out]);
