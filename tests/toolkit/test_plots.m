% The plotting path of every example that writes a plot, at coarse meshes: each must write its
% PNG at the size plot_rcs_cuts promises (900 wide, 300 per panel + 100 high), not blank, with
% the blue (E-plane) and red (H-plane) curves across it. On a machine without the font
% Octave's renderer loads (fonts-freefont-otf) or without gnuplot, no figure can be drawn and
% this fails.
warning('off', 'Octave:gnuplot-graphics');
plot_root = fileparts(fileparts(which('toolkit_setup')));   % the sources' root
plot_dir = tempname();
mkdir(plot_dir);
% example script, unknowns, panels
plot_cases = {'pec_sphere_study.m', 150, 1; 'dielectric_sphere_study.m', 150, 2; ...
              'coated_sphere_study.m', 200, 2};
unwind_protect
  for plot_case = 1:size(plot_cases, 1)
    plot_file = fullfile(plot_dir, strrep(plot_cases{plot_case, 1}, '.m', '.png'));
    unknowns = plot_cases{plot_case, 2};
    run(fullfile(plot_root, 'examples', plot_cases{plot_case, 1}));
    expect_png(plot_file, 900, 300 * plot_cases{plot_case, 3} + 100, 'rb');
    csv = dlmread(strrep(plot_file, '.png', '.csv'), ',', 1, 0);
    assert(size(csv, 2) == 1 + 4 * plot_cases{plot_case, 3} && size(csv, 1) > 90);
    printf('%s: %s checked\n', plot_cases{plot_case, 1}, plot_file);
  end
unwind_protect_cleanup
  confirm_recursive_rmdir(false);
  rmdir(plot_dir, 's');
end_unwind_protect
