% Options of a function: the defaults in opt, overridden by name/value pairs (args, the
% caller's varargin) or by one options struct. An unknown name or an odd list ends with the
% error CALLER:option.
function opt = name_value_options(caller, opt, args)
  if numel(args) == 1 && isstruct(args{1})
    names = fieldnames(args{1});
    values = struct2cell(args{1});
  elseif mod(numel(args), 2) == 0
    names = args(1:2:end);
    values = args(2:2:end);
  else
    error([caller ':option'], '%s: options must be name/value pairs', caller);
  end
  for i = 1:numel(names)
    if ~ischar(names{i}) || ~isfield(opt, names{i})
      error([caller ':option'], '%s: unknown option "%s"', caller, num2str(names{i}));
    end
    opt.(names{i}) = values{i};
  end
end
