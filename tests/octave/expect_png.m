% EXPECT_PNG  Fail unless FILE is a PNG plot of the given pixel size with curves drawn on it.
%   expect_png(FILE, WIDTH, HEIGHT, COLOURS) reads FILE back and checks: its size is
%   HEIGHT x WIDTH (RGB); it is not blank (between 1 % and 60 % of the pixels are not white,
%   at least 16 distinct colours: text, axes, grid and antialiased curves); and for every
%   colour in COLOURS there is a curve of it across the plot: pixels of that colour, or of
%   its antialiased blend with the white background at least a quarter of the way to it
%   (thin lines are drawn that faint), in at least half of the columns. COLOURS is a string of colour letters ('r', 'g', 'b', 'c', 'm',
%   'y') or a matrix of RGB rows in 0..1 (e.g. the axes' colour order).
function expect_png(file, width, height, colours)
  if ~exist(file, 'file')
    error('expect_png:missing', '%s: no such file', file);
  end
  img = imread(file);
  if size(img, 3) == 1
    error('expect_png:gray', '%s: a grey or indexed image, expected RGB', file);
  end
  if size(img, 1) ~= height || size(img, 2) ~= width
    error('expect_png:size', '%s: %d x %d pixels, expected %d x %d', file, size(img, 2), ...
          size(img, 1), width, height);
  end
  rgb = double(img(:, :, 1:3));
  if isa(img, 'uint16')
    rgb = rgb / 257;
  end
  inked = mean(reshape(any(rgb < 250, 3), [], 1));
  if inked < 0.01 || inked > 0.6
    error('expect_png:blank', '%s: %.1f %% of the pixels are not white', file, 100 * inked);
  end
  ncolours = size(unique(reshape(rgb, [], 3), 'rows'), 1);
  if ncolours < 16
    error('expect_png:colours', '%s: only %d distinct colours', file, ncolours);
  end
  if ischar(colours)
    letters = 'rgbcmy';
    table = [1 0 0; 0 1 0; 0 0 1; 0 1 1; 1 0 1; 1 1 0];
    [known, row] = ismember(colours, letters);
    if ~all(known)
      error('expect_png:usage', 'expect_png: unknown colour letter in ''%s''', colours);
    end
    colours = table(row, :);
  end
  % A pixel p of a line of colour c drawn with coverage a on white is 255 - a (255 - c):
  % project 255 - p on the direction 255 - c, accept a >= 1/4 and a direction within about
  % 11 degrees of it (greys and the other colours of the colour order lie farther off).
  ink = reshape(255 - rgb, [], 3);
  for q = 1:size(colours, 1)
    d = 255 * (1 - colours(q, :));
    a = ink * d' / (d * d');
    off = sqrt(sum((ink - a * d) .^ 2, 2));
    hue = reshape(a >= 0.25 & off < 0.2 * a * norm(d), height, width);
    covered = nnz(any(hue, 1)) / width;
    if covered < 0.5
      error('expect_png:curve', '%s: a curve of colour %s covers only %.0f %% of the columns', ...
            file, mat2str(colours(q, :), 3), 100 * covered);
    end
  end
end
