% Cost of the accurate options against the defaults, measured side by side in one run (PEC
% sphere of about 3000 unknowns, ka = 1; dielectric volume currents of a sphere of about 3000
% unknowns): the fill with every unlisted triangle pair integrated (hybrid_matrix options
% FarFactor = Inf with the record's 6-point rule and with the 3-point rule) against the
% default fill, and the radiation sums of the post-processing in the radiation_vector module
% against the D x M phase matrix in Octave. Best of three, CPU time of the process.
root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit'));
toolkit_setup();
[P, t] = sphere_surface_mesh(1, 'unknowns', 3000);
geom = surface_record(P, t, 6, 9);
const = em_constants('normalized');
w = const.c;
options = {[], struct('FarFactor', Inf), struct('FarFactor', Inf, 'FarPoints', 3)};
best = inf(1, 3);
for rep = 1:3
  for i = 1:3
    c0 = cputime();
    hybrid_matrix(geom, [], const, w, 0, -1, [], [], options{i});
    best(i) = min(best(i), cputime() - c0);
  end
end
printf('fill, %d unknowns: default %.2f s; all far pairs, 6-point rule %.2f s (x%.1f), 3-point %.2f s (x%.1f)\n', ...
       geom.EdgesTotal, best(1), best(2), best(2) / best(1), best(3), best(3) / best(1));

src = surface_current_elements(geom, ones(geom.EdgesTotal, 1));
theta = linspace(0, pi, 181);
rhat = [[sin(theta); zeros(1, 181); cos(theta)], [zeros(1, 181); sin(theta); cos(theta)]];
best = inf(1, 2);
for rep = 1:3
  c0 = cputime();
  N1 = radiation_vector(src.points, src.moments, rhat, 1);
  best(1) = min(best(1), cputime() - c0);
  c0 = cputime();
  N2 = src.moments * exp(1i * (src.points.' * rhat));
  best(2) = min(best(2), cputime() - c0);
end
printf('radiation sums, %d elements x %d directions: module %.3f s, Octave %.3f s (x%.1f); max difference %.1e\n', ...
       size(src.points, 2), size(rhat, 2), best(1), best(2), best(2) / best(1), ...
       max(abs(N1(:) - N2(:))) / max(abs(N2(:))));
