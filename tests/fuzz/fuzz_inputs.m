% FUZZ_INPUTS  Valid arguments of a module, built from a small mixed metal/dielectric model.
%   [args, names] = fuzz_inputs(module)
%
%   module  one of the nine module names.
%   args    1 x K cell of arguments that the module accepts and answers with a valid result.
%   names   1 x K cell of the argument names used in case descriptions.
%
%   The model: a 2 x 1 x 1 block of cubes of 0.1 (12 tetrahedra, relative permittivity 4,
%   tan delta 0.1) under a square plate of 2 x 2 x 2 triangles at z = 0.15, normalised units.
%
%   Example:
%       [args, names] = fuzz_inputs('excite_cells');  v = excite_cells(args{:});
function [args, names] = fuzz_inputs(module)
  % Vertices of the block and its Kuhn split: six tetrahedra per cube along the main diagonal.
  [x, y, z] = ndgrid(0:2, 0:1, 0:1);
  P = 0.1 * [x(:)'; y(:)'; z(:)'];
  id = @(i, j, k) 1 + i + 3 * j + 6 * k;
  paths = perms(1:3);
  T = [];
  for i = 0:1
    for p = 1:6
      v = [i 0 0];
      tet = id(v(1), v(2), v(3));
      for s = 1:3
        v(paths(p, s)) += 1;
        tet(end + 1) = id(v(1), v(2), v(3));
      end
      T = [T tet'];
    end
  end
  nt = columns(T);
  [T, Edges, Faces, TET] = volume_mesh_tables(T);
  const = em_constants('normalized', 4 * ones(1, nt), 0.1 * ones(1, nt));

  % The plate: 3 x 3 vertices, eight triangles.
  [u, w] = ndgrid(0:2, 0:2);
  Pt = [0.1 * u(:)'; 0.05 * w(:)'; 0.15 * ones(1, 9)];
  t = [];
  for j = 0:1
    for i = 0:1
      a = 1 + i + 3 * j;
      t = [t [a; a + 1; a + 4] [a; a + 4; a + 3]];
    end
  end

  [c3, w3] = triangle_rule(3);
  [c4, w4] = tetra_rule(4);
  switch module
    case 'dense_system'
      randn('state', 1);
      A = randn(4) + 1i * randn(4);
      Z = A + A.' + 8 * eye(4);
      Zc = zeros(32, 1);  Zc(1:2:end) = real(Z(:));  Zc(2:2:end) = imag(Z(:));
      args = {Zc, 1, (1:4)' + 1i};
      names = {'Z', 'option', 'V'};
    case 'basis'
      args = {P, T, Faces, Edges, TET, const};
      names = {'P', 'T', 'Faces', 'Edges', 'TET', 'const'};
    case 'plate_pairs'
      args = {Pt, [t; zeros(1, columns(t))], c3, w3, 9};
      names = {'P', 't', 'coeff', 'weights', 'order'};
    case 'seam_pairs'
      args = {P, Faces, c3, w3, 9};
      names = {'P', 'Faces', 'coeff', 'weights', 'order'};
    case 'cell_pairs'
      args = {P, T, c4, w4, 9};
      names = {'P', 'T', 'coeffT', 'weightsT', 'Radius'};
    case 'cell_plate_pairs'
      args = {Pt, P, [t; zeros(1, columns(t))], T, c3, w3, 9};
      names = {'Pt', 'PT', 't', 'T', 'coeff', 'weights', 'order'};
    case 'excite_cells'
      G = volume_record(P, T, const, 4, 3, 9);
      E = [1; 0.5i; -0.25] * exp(1i * (1:nt));
      args = {volume_fields(G), E};
      names = {'GEOM', 'EfieldD'};
    case 'excite_plates'
      g = surface_record(Pt, t, 3, 9);
      E = [1; 0.5i; -0.25] * exp(1i * (1:columns(t)));
      args = {surface_fields(g), E};
      names = {'geom', 'EfieldM'};
    case 'hybrid_matrix'
      g = surface_record(Pt, t, 3, 9);
      G = coupling_tables(volume_record(P, T, const, 4, 3, 9), Pt, t, 3, 9);
      n = g.EdgesTotal + G.EdgesTotal;
      args = {surface_fields(g), volume_fields(G), const, 2, 0.01, 1, (1:n)' / n + 0.5i};
      names = {'geom', 'GEOM', 'const', 'omega_re', 'omega_im', 'flag', 'V'};
    otherwise
      error('fuzz_inputs:module', 'unknown module %s', module);
  end
end

% The fields the modules read (the toolkit keeps a few more for its own use).
function g = surface_fields(g)
  keep = {'TrianglesTotal', 'EdgesTotal', 'TriP', 'TriM', 'VerP', 'VerM', 'AreaF', ...
          'EdgeLength', 'PointsFC', 'PointsFCRho', 'OrderM', 'PointsM', 'PointsMRho', 'WM', ...
          'ttIS', 'ttJS', 'ttSS', 'ttRS'};
  g = rmfield(g, setdiff(fieldnames(g), keep));
end

function G = volume_fields(G)
  drop = {'MeshP', 'MeshT', 'MeshFaces'};
  G = rmfield(G, intersect(fieldnames(G), drop));
end
