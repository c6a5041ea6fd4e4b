% EXPECT_PNG  Fail unless FILE is a PNG plot of the given pixel size with curves drawn on it.
%   expect_png(FILE, WIDTH, HEIGHT, COLOURS) reads FILE back and checks: its size is
%   HEIGHT x WIDTH (RGB); it is not blank (between 1 % and 60 % of the pixels are not white,
%   at least 16 distinct colours: text, axes, grid and antialiased curves); and for every
%   colour named in COLOURS ('r', 'g', 'b') there is a curve of it across the plot: pixels of
%   that hue (its channel at least 60 above the other two) in at least half of the columns.
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
  for c = colours
    k = find('rgb' == c);
    others = setdiff(1:3, k);
    hue = rgb(:, :, k) - max(rgb(:, :, others(1)), rgb(:, :, others(2))) > 60;
    covered = nnz(any(hue, 1)) / width;
    if covered < 0.5
      error('expect_png:curve', '%s: a ''%s'' curve covers only %.0f %% of the columns', ...
            file, c, 100 * covered);
    end
  end
end
