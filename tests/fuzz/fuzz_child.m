% FUZZ_CHILD  Runs cases first..last of a module's fuzz cases and prints one line per case.
%   fuzz_child(module, first, last)
%
%   Each line is "FUZZ k ok", "FUZZ k error ID" or "FUZZ k FAIL reason"; a last line
%   "FUZZ done" tells that the process got through. A case fails when the module ends with an
%   error that is not identified as "module:mnemonic", returns something other than a valid
%   result (double values, all finite, or a struct of them), or changes its inputs. A crash
%   ends the process: the caller sees the missing lines.
%
%   Example:
%       fuzz_child('dense_system', 1, 10)
function fuzz_child(module, first, last)
  warning('off', 'all');
  cases = fuzz_cases(module);
  pattern = ['^' module ':[A-Za-z]+$'];
  for k = first:min(last, numel(cases))
    args = cases{k}.args;
    before = deep_copy(args);
    result = {};
    failure = '';
    try
      result{1} = feval(module, args{:});
    catch err
      if isempty(regexp(err.identifier, pattern, 'once'))
        if ~isempty(strfind(err.message, 'undefined')) && ~isempty(strfind(err.message, 'value'))
          result = {};  % the call returned nothing, as documented for some options
        else
          failure = sprintf('unidentified error "%s": %s', err.identifier, err.message);
        end
      else
        result = {err.identifier};
      end
    end
    if isempty(failure) && ~isequaln(args, before)
      failure = 'the inputs were modified';
    end
    if isempty(failure) && numel(result) == 1 && ~ischar(result{1}) && ~valid_result(result{1})
      failure = 'the result is not a valid one (non-double or non-finite values)';
    end
    if ~isempty(failure)
      printf('FUZZ %d FAIL %s\n', k, strrep(failure, "\n", ' '));
    elseif numel(result) == 1 && ischar(result{1})
      printf('FUZZ %d error %s\n', k, result{1});
    else
      printf('FUZZ %d ok\n', k);
    end
    fflush(stdout);
  end
  printf('FUZZ done\n');
end

% A copy that shares no storage with x: assigning an element makes the host copy the data.
function y = deep_copy(x)
  if iscell(x)
    y = cell(size(x));
    for i = 1:numel(x)
      y{i} = deep_copy(x{i});
    end
  elseif isstruct(x)
    y = x;
    for i = 1:numel(x)
      for f = fieldnames(x)'
        y(i).(f{1}) = deep_copy(x(i).(f{1}));
      end
    end
  else
    y = x;
    if ~isempty(x) && (isnumeric(x) || islogical(x) || ischar(x))
      y(1) = x(1);
    end
  end
end

function ok = valid_result(r)
  if isstruct(r)
    ok = true;
    for f = fieldnames(r)'
      ok = ok && valid_result(r.(f{1}));
    end
  else
    ok = isa(r, 'double') && ~issparse(r) && all(isfinite(r(:)));
  end
end
