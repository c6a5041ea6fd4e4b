% FUZZ_CASES  Deterministic malformed calls of a module, mutated from its valid arguments.
%   cases = fuzz_cases(module)
%   cases = fuzz_cases(module, count)
%
%   module  module name (see fuzz_inputs).
%   count   number of cases (default 300).
%   cases   1 x count cell of structs with fields
%             desc  what was mutated, e.g. "GEOM.EdgesTN: complex(x, 1)"
%             args  the argument list of the call
%
%   The first cases are single mutations: every mutation of every argument and record field
%   (shapes, classes, missing fields, index ranges, non-finite values, huge counts, empty
%   arrays of every shape), in a fixed pseudo-random order when there are more than fit;
%   then calls with too few or too many arguments and malformed records; the rest combine two
%   or three random mutations. The same module and count always give the same cases.
%
%   Example:
%       cases = fuzz_cases('dense_system', 50);  cases{7}.desc
function cases = fuzz_cases(module, count)
  if nargin < 2
    count = 300;
  end
  [valid, names] = fuzz_inputs(module);
  rand('state', sum(double(module)));

  % Targets: every argument, and every field of a struct argument.
  targets = {};
  for a = 1:numel(valid)
    targets{end + 1} = {a, ''};
    if isstruct(valid{a})
      for f = fieldnames(valid{a})'
        targets{end + 1} = {a, f{1}};
      end
    end
  end
  ops = mutations();

  single_cases = {};
  for i = 1:numel(targets)
    for o = 1:numel(ops)
      single_cases{end + 1} = [i o];
    end
  end
  reserve = 40 + round(count / 6);  % argument-count cases and combinations
  order = randperm(numel(single_cases));
  order = order(1:min(numel(order), count - reserve));

  cases = {};
  for k = order
    [args, desc] = apply(valid, names, targets{single_cases{k}(1)}, ops{single_cases{k}(2)});
    cases{end + 1} = struct('desc', desc, 'args', {args});
  end

  % Argument counts and malformed records.
  n = numel(valid);
  for m = [0 1 n - 1 n + 1]
    if m <= n
      args = valid(1:m);
    else
      args = [valid {1}];
    end
    cases{end + 1} = struct('desc', sprintf('%d arguments', m), 'args', {args});
  end
  for a = 1:n
    if isstruct(valid{a})
      x = valid{a};
      variants = {[x x], x([]), {x}, rmfield(x, fieldnames(x)), struct2cell(x)};
      labels = {'1 x 2 struct array', '0 x 0 struct array', 'struct in a cell', ...
                'struct without fields', 'cell of the field values'};
      for v = 1:numel(variants)
        args = valid;
        args{a} = variants{v};
        cases{end + 1} = struct('desc', [names{a} ': ' labels{v}], 'args', {args});
      end
    end
  end

  % Combinations of two or three mutations.
  while numel(cases) < count
    args = valid;
    desc = '';
    for r = 1:1 + randi(2)
      [args, d] = apply(args, names, targets{randi(numel(targets))}, ops{randi(numel(ops))});
      desc = [desc ' + ' d];
    end
    cases{end + 1} = struct('desc', desc(4:end), 'args', {args});
  end
  cases = cases(1:count);
end

% Applies mutation `op` ({label, function of the value}; label 'remove field' deletes) to
% target {argument, field}.
function [args, desc] = apply(args, names, target, op)
  [a, f] = target{:};
  label = op{1};
  if a > numel(args)  % an earlier mutation of the same call dropped this argument
    desc = [names{a} ': ' label ' (argument already dropped)'];
    return;
  end
  if isempty(f)
    desc = [names{a} ': ' label];
    if strcmp(label, 'remove field')
      args(a) = [];  % an argument cannot be removed from the middle: drop it, shifting
      return;
    end
    args{a} = mutate(op{2}, args{a});
  else
    desc = [names{a} '.' f ': ' label];
    if ~isstruct(args{a}) || ~isfield(args{a}, f)
      return;
    end
    if strcmp(label, 'remove field')
      args{a} = rmfield(args{a}, f);
    else
      args{a}.(f) = mutate(op{2}, args{a}.(f));
    end
  end
end

% The mutated value; a mutation that does not apply to this value leaves it as it is.
function y = mutate(f, x)
  try
    y = f(x);
  catch
    y = x;
  end
end

function x = set_element(x, where, value)
  if isempty(x) || ~(isnumeric(x) || islogical(x))
    x = value;
    return;
  end
  switch where
    case 'first', i = 1;
    case 'last', i = numel(x);
    case 'middle', i = ceil(numel(x) / 2);
    otherwise, i = randi(numel(x));
  end
  x = double(x);
  x(i) = value;
end

function y = drop_last(x)
  if isempty(x)
    y = x;
  elseif columns(x) > 1
    y = x(:, 1:end - 1);
  else
    y = x(1:end - 1, :);
  end
end

function y = numeric_or(x, f, fallback)
  if isnumeric(x) || islogical(x)
    y = f(double(x));
  else
    y = fallback;
  end
end

function ops = mutations()
  ops = {
    {'remove field', []}
    {'[]', @(x) []}
    {'zeros(0, 3)', @(x) zeros(0, 3)}
    {'zeros(3, 0)', @(x) zeros(3, 0)}
    {'zeros(1, 0)', @(x) zeros(1, 0)}
    {'zeros(2, 0, 3)', @(x) zeros(2, 0, 3)}
    {'zeros(100000, 0)', @(x) zeros(100000, 0)}
    {'NaN', @(x) NaN}
    {'Inf', @(x) Inf}
    {'-Inf', @(x) -Inf}
    {'-1', @(x) -1}
    {'0', @(x) 0}
    {'1e15', @(x) 1e15}
    {'2^62', @(x) 2^62}
    {'1e300', @(x) 1e300}
    {'text', @(x) 'abc'}
    {'cell', @(x) {x}}
    {'struct', @(x) struct('a', 1)}
    {'logical', @(x) true(size(x))}
    {'int32', @(x) numeric_or(x, @(v) int32(real(v)), int32(1))}
    {'single', @(x) numeric_or(x, @single, single(1))}
    {'complex(x, 1)', @(x) numeric_or(x, @(v) complex(v, 1), 1i)}
    {'complex(x, 0)', @(x) numeric_or(x, @(v) complex(v, 0), complex(1, 0))}
    {'sparse', @(x) numeric_or(x, @(v) sparse(v(:, :)), sparse(1))}
    {'transposed', @(x) numeric_or(x, @(v) v(:, :).', x)}
    {'column', @(x) numeric_or(x, @(v) v(:), x)}
    {'last column or value dropped', @(x) numeric_or(x, @drop_last, x)}
    {'columns doubled', @(x) numeric_or(x, @(v) [v(:, :) v(:, :)], x)}
    {'first value NaN', @(x) set_element(x, 'first', NaN)}
    {'last value Inf', @(x) set_element(x, 'last', Inf)}
    {'middle value -Inf', @(x) set_element(x, 'middle', -Inf)}
    {'a value 1e15', @(x) set_element(x, 'random', 1e15)}
    {'a value 0', @(x) set_element(x, 'random', 0)}
    {'a value -1', @(x) set_element(x, 'random', -1)}
    {'a value 2.5', @(x) set_element(x, 'random', 2.5)}
    {'negated', @(x) numeric_or(x, @(v) -v, x)}
    {'plus 0.5', @(x) numeric_or(x, @(v) v + 0.5, x)}
    {'times 1e200', @(x) numeric_or(x, @(v) v * 1e200, x)}
    {'columns reversed', @(x) numeric_or(x, @(v) v(:, end:-1:1), x)}
    {'3-d', @(x) numeric_or(x, @(v) reshape(v, [rows(v) 1 columns(v)]), x)}
    {'zeros of its size', @(x) numeric_or(x, @(v) zeros(size(v)), x)}
    {'all 1e9', @(x) numeric_or(x, @(v) 1e9 * ones(size(v)), x)}
  };
end
