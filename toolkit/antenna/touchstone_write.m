% TOUCHSTONE_WRITE  Write scattering parameters as a Touchstone (version 1) file.
%   touchstone_write(filename, f, S)
%   touchstone_write(filename, f, S, z0)
%   touchstone_write(filename, f, S, z0, comments)
%
%   filename  the file to write; by convention it ends in .sNp for N ports (.s1p, .s2p).
%   f         F frequencies (Hz), increasing.
%   S         N x N x F scattering matrices (an F-vector for a one-port).
%   z0        the reference impedance (ohm) all ports share (default 50); version 1 files
%             carry a single value.
%   comments  a string or cell array of strings, written as '!' lines before the option line.
%
%   The option line is '# Hz S RI R <z0>' (frequencies in hertz, S-parameters as real and
%   imaginary parts). One frequency per data line for one and two ports; the two-port order
%   is S11 S21 S12 S22, as the format prescribes. With three or more ports each matrix row
%   starts a new line and holds at most four values per line (continuation lines follow).
%   Numbers have 12 significant digits.
%
%   Example:  touchstone_write('build/patch.s1p', net.f, net.S(1, 1, :), 50, 'patch antenna');
%
%   See also TOUCHSTONE_READ, PORT_SWEEP.
function touchstone_write(filename, f, S, z0, comments)
  if nargin < 3 || nargin > 5 || ~ischar(filename)
    error('touchstone_write:usage', 'usage: touchstone_write(filename, f, S, z0, comments)');
  end
  if nargin < 4 || isempty(z0)
    z0 = 50;
  end
  if nargin < 5
    comments = {};
  end
  if ischar(comments)
    comments = {comments};
  end
  f = reshape(double(f), 1, []);
  nf = numel(f);
  if isvector(S) && numel(S) == nf
    S = reshape(S, 1, 1, nf);
  end
  np = size(S, 1);
  if size(S, 2) ~= np || size(S, 3) ~= nf || np < 1
    error('touchstone_write:S', 'touchstone_write: S must be N x N x %d (one matrix per frequency)', nf);
  end
  if any(~(f > 0)) || any(diff(f) <= 0)
    error('touchstone_write:f', 'touchstone_write: frequencies must be positive and increasing');
  end
  if ~(isscalar(z0) && isreal(z0) && z0 > 0)
    error('touchstone_write:z0', 'touchstone_write: z0 must be one positive real value');
  end
  [fid, why] = fopen(filename, 'w');
  if fid < 0
    error('touchstone_write:open', 'touchstone_write: cannot write "%s": %s', filename, why);
  end
  cleanup = onCleanup(@() fclose(fid));
  for i = 1:numel(comments)
    fprintf(fid, '! %s\n', comments{i});
  end
  fprintf(fid, '# Hz S RI R %.12g\n', z0);
  pair = '  %.12g %.12g';
  for q = 1:nf
    M = S(:, :, q);
    if np == 1
      fprintf(fid, ['%.12g' pair '\n'], f(q), real(M), imag(M));
    elseif np == 2
      v = M([1 2 3 4]);  % column-major: S11 S21 S12 S22
      fprintf(fid, ['%.12g' repmat(pair, 1, 4) '\n'], f(q), [real(v); imag(v)]);
    else
      for r = 1:np
        row = M(r, :);
        for c0 = 1:4:np
          c = c0:min(c0 + 3, np);
          if r == 1 && c0 == 1
            fprintf(fid, '%.12g', f(q));
          else
            fprintf(fid, '%12s', '');
          end
          fprintf(fid, [repmat(pair, 1, numel(c)) '\n'], [real(row(c)); imag(row(c))]);
        end
      end
    end
  end
end
