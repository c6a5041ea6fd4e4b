% Fuzz test of one module (named by the environment variable MOM_FUZZ_MODULE): a few hundred
% deterministic malformed calls (fuzz_cases), run in batches in child octave-cli processes so
% that a crash is seen as a failure of that case rather than the end of the suite. Every call
% must end with an identified error "module:mnemonic" or a valid result, and leave its inputs
% as they were. A child that dies is detected by its missing lines; its first unanswered case
% is rerun alone to confirm the crash, and the batch goes on after it.

module = getenv('MOM_FUZZ_MODULE');
assert(~isempty(module), 'MOM_FUZZ_MODULE is not set');
here = fileparts(mfilename('fullpath'));
addpath(here);
count = numel(fuzz_cases(module));
octave = fullfile(OCTAVE_HOME, 'bin', 'octave-cli');
mexdir = fileparts(which(module));
path_code = sprintf('addpath(''%s''); addpath(''%s''); addpath(''%s''); toolkit_setup(''%s'');', ...
                    mexdir, here, fileparts(which('toolkit_setup')), mexdir);
% Without the sanitizer, cap the child's address space (16 GiB) so that a runaway allocation
% fails inside it instead of pressing the machine; the sanitizer needs its own reservations.
limit = '';
if isempty(getenv('LD_PRELOAD'))
  limit = 'ulimit -v 16777216; ';
end

function [lines, status] = run_child(limit, octave, path_code, module, first, last)
  code = sprintf('%s fuzz_child(''%s'', %d, %d);', path_code, module, first, last);
  [status, out] = system(sprintf('%stimeout 600 %s --no-gui --norc --quiet --no-window-system --eval "%s" 2>&1', ...
                                 limit, octave, code));
  lines = strsplit(out, "\n");
end

outcome = repmat({''}, 1, count);
failures = {};
batch = 100;
first = 1;
children = 0;
while first <= count
  last = min(count, first + batch - 1);
  [lines, status] = run_child(limit, octave, path_code, module, first, last);
  children += 1;
  done = false;
  for l = lines
    tok = regexp(l{1}, '^FUZZ (\d+) (\S+)\s*(.*)$', 'tokens', 'once');
    if ~isempty(tok)
      outcome{str2double(tok{1})} = tok{2};
      if strcmp(tok{2}, 'FAIL')
        failures{end + 1} = sprintf('case %s: %s', tok{1}, tok{3});
      end
    elseif strcmp(strtrim(l{1}), 'FUZZ done')
      done = true;
    end
  end
  answered = find(~cellfun(@isempty, outcome(first:last)), 1, 'last');
  if isempty(answered)
    answered = 0;
  end
  if done && answered == last - first + 1
    first = last + 1;
    continue;
  end
  % The child died (or timed out) at case k: confirm it alone, then go on after it.
  k = first + answered;
  [alone, status_alone] = run_child(limit, octave, path_code, module, k, k);
  children += 1;
  tail_text = strjoin(alone(max(1, end - 6):end), ' | ');
  failures{end + 1} = sprintf('case %d: the child process died (status %d, alone %d): %s', ...
                              k, status, status_alone, tail_text);
  outcome{k} = 'CRASH';
  first = k + 1;
end

cases = fuzz_cases(module);
for i = 1:numel(failures)
  k = str2double(regexp(failures{i}, '^case (\d+)', 'tokens', 'once'){1});
  fprintf(2, '%s [%s]\n', failures{i}, cases{k}.desc);
end
ok = sum(strcmp(outcome, 'ok'));
identified = sum(strcmp(outcome, 'error'));
printf('%s: %d cases in %d child processes: %d valid results, %d identified errors, %d failures\n', ...
       module, count, children, ok, identified, numel(failures));
assert(isempty(failures), sprintf('%s: %d fuzz cases failed', module, numel(failures)));
assert(ok + identified == count, 'some cases were not answered');
