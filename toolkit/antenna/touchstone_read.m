% TOUCHSTONE_READ  Read a Touchstone (version 1) network-parameter file.
%   net = touchstone_read(filename)
%   net = touchstone_read(filename, nports)
%
%   Reads version 1.x files (.sNp): the port count N comes from the extension (or nports).
%   The option line '# [unit] [parameter] [format] [R n]' may give its fields in any order
%   and case; missing ones take the defaults GHz, S, MA, R 50. Only the first option line
%   counts. '!' starts a comment anywhere on a line. Values: MA (magnitude, angle in
%   degrees), DB (20 log10 magnitude, angle in degrees) or RI (real, imaginary). Each
%   frequency carries 2 N^2 numbers, possibly over several lines; the two-port order is
%   N11 N21 N12 N22, other port counts are row by row (N11 N12 ... N1N N21 ...). Z and Y
%   parameters are stored normalised to R and are returned in ohms and siemens. A two-port
%   file may end in a noise-parameter block, recognised by its first frequency not
%   exceeding the last network frequency; it is skipped.
%
%   net fields: f (1 x F, Hz), data (N x N x F complex), parameter ('S', 'Y', 'Z', 'H' or
%   'G'), z0 (the reference resistance), comments (cell array of the comment texts).
%
%   Example:  net = touchstone_read('build/patch_antenna.s1p');  s11 = squeeze(net.data);
%
%   See also TOUCHSTONE_WRITE.
function net = touchstone_read(filename, nports)
  if nargin < 1 || nargin > 2 || ~ischar(filename)
    error('touchstone_read:usage', 'usage: net = touchstone_read(filename, nports)');
  end
  if nargin < 2
    tok = regexp(filename, '\.[sSyYzZhHgG](\d+)[pP]$', 'tokens', 'once');
    if isempty(tok)
      error('touchstone_read:ports', ['touchstone_read: cannot tell the port count of "%s" ' ...
            '(extension .sNp expected; pass nports)'], filename);
    end
    nports = str2double(tok{1});
  end
  [fid, why] = fopen(filename, 'r');
  if fid < 0
    error('touchstone_read:open', 'touchstone_read: cannot open "%s": %s', filename, why);
  end
  text = fread(fid, Inf, '*char')';
  fclose(fid);
  lines = regexp(text, '\r?\n', 'split');
  unit = 1e9;
  net.parameter = 'S';
  format = 'MA';
  net.z0 = 50;
  net.comments = {};
  seen_option = false;
  numbers = [];
  for i = 1:numel(lines)
    ln = lines{i};
    bang = find(ln == '!', 1);
    if ~isempty(bang)
      net.comments{end + 1} = strtrim(ln(bang + 1:end));
      ln = ln(1:bang - 1);
    end
    ln = strtrim(ln);
    if isempty(ln)
      continue;
    end
    if ln(1) == '#'
      if ~seen_option
        [unit, net.parameter, format, net.z0] = option_line(ln(2:end), filename);
        seen_option = true;
      end
      continue;
    end
    if ln(1) == '['
      error('touchstone_read:version', ['touchstone_read: "%s" uses version 2 keywords ' ...
            '(%s), which this reader does not take'], filename, strtok(ln));
    end
    [v, ~, ~, nextidx] = sscanf(ln, '%f');
    if nextidx <= numel(ln)
      error('touchstone_read:data', 'touchstone_read: "%s" line %d is not numeric: %s', ...
            filename, i, ln);
    end
    numbers = [numbers, v.']; %#ok<AGROW>
  end
  per = 1 + 2 * nports ^ 2;
  % Split off a two-port noise block: frequencies stop increasing where it starts.
  if nports == 2
    p = 1;
    while p + per <= numel(numbers) && numbers(p + per) > numbers(p)
      p = p + per;
    end
    numbers = numbers(1:min(numel(numbers), p + per - 1));
  end
  nf = floor(numel(numbers) / per);
  if numel(numbers) ~= nf * per
    error('touchstone_read:count', ['touchstone_read: "%s" holds %d numbers, not a whole ' ...
          'number of %d-number records (frequency and %d complex values)'], filename, ...
          numel(numbers), per, nports ^ 2);
  end
  rec = reshape(numbers, per, nf);
  net.f = rec(1, :) * unit;
  a = rec(2:2:end, :);
  b = rec(3:2:end, :);
  switch format
    case 'RI'
      v = complex(a, b);
    case 'MA'
      v = a .* exp(1i * b * pi / 180);
    case 'DB'
      v = 10 .^ (a / 20) .* exp(1i * b * pi / 180);
  end
  data = reshape(v, nports, nports, nf);
  if nports ~= 2
    data = permute(data, [2 1 3]);  % stored row by row
  end
  switch net.parameter
    case 'Z'
      data = data * net.z0;
    case 'Y'
      data = data / net.z0;
  end
  net.data = data;
end

function [unit, parameter, format, z0] = option_line(ln, filename)
  unit = 1e9;
  parameter = 'S';
  format = 'MA';
  z0 = 50;
  tok = strsplit(upper(strtrim(ln)));
  tok = tok(~cellfun(@isempty, tok));
  i = 1;
  while i <= numel(tok)
    switch tok{i}
      case 'HZ'
        unit = 1;
      case 'KHZ'
        unit = 1e3;
      case 'MHZ'
        unit = 1e6;
      case 'GHZ'
        unit = 1e9;
      case {'S', 'Y', 'Z', 'H', 'G'}
        parameter = tok{i};
      case {'MA', 'DB', 'RI'}
        format = tok{i};
      case 'R'
        if i == numel(tok) || isnan(str2double(tok{i + 1}))
          error('touchstone_read:option', ['touchstone_read: "%s": R in the option line ' ...
                'needs a value'], filename);
        end
        z0 = str2double(tok{i + 1});
        i = i + 1;
      otherwise
        error('touchstone_read:option', 'touchstone_read: "%s": unknown option "%s"', ...
              filename, tok{i});
    end
    i = i + 1;
  end
end
