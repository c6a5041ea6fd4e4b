% Tetrahedral mesh of concentric spheres (radii, sphere_volume_mesh) whose unknown count,
% count(P, T, layer), is within 3 % of target: the element size is corrected from the count
% of each run (unknowns ~ 1/h^3) for up to six runs, and the closest mesh is kept. volume is
% the meshed volume that carries the unknowns; grading as in sphere_geo (1: uniform).
function [P, T, layer] = sized_sphere_mesh(radii, target, volume, grading, count)
  % gmsh's regular meshes give about 7 / h^3 volume unknowns per unit volume; a graded size
  % averages about (1 + grading) / 2 h.
  h = (7 * volume / target) ^ (1 / 3) * (1 + grading) / 2;
  best = Inf;
  for attempt = 1:6
    [P1, T1, layer1] = sphere_volume_mesh(radii, h, grading);
    n = count(P1, T1, layer1);
    if abs(n / target - 1) < best
      best = abs(n / target - 1);
      P = P1;
      T = T1;
      layer = layer1;
    end
    if best < 0.03
      break;
    end
    h = h * (n / target) ^ (1 / 3) * (1 + 0.01 * attempt * sign(n - target));
  end
end
