% The plotting path of every example that writes a plot, each run at the coarsest settings its
% variables allow, writing into a temporary folder: every PNG must exist at the size its
% plotting function promises, not blank, with its curves across it in their colours. Sizes: plot_rcs_cuts 900 wide and 300 per panel + 100 high, plot_sweep 800 x
% 500, plot_port_sweep 800 x 700, plot_pattern_cuts 800 x 450. The RCS cuts also go beside
% the plot as numbers (.csv), one angle column and four per panel. On a machine without the
% font Octave's renderer loads (fonts-freefont-otf) or without gnuplot, no figure can be drawn
% and this fails.
1;
% Runs one example in a workspace of its own (the examples share variable names such as
% freq, sigma and mesh_size with different meanings), after the assignments in SETUP.
function run_example(plot_script, plot_setup)
  eval(plot_setup);
  run(plot_script);
end

warning('off', 'Octave:gnuplot-graphics');
plot_root = fileparts(fileparts(which('toolkit_setup')));   % the sources' root
plot_dir = tempname();
mkdir(plot_dir);
rcs = @(panels) [900, 300 * panels + 100];
order = get(0, 'defaultaxescolororder');   % plot_sweep's curves take the axes' colours
% example script, variables set before it runs, and per plot: file name, [width height],
% curve colours, panels of RCS cuts (0: not an RCS plot)
plot_cases = {
  'pec_sphere_study.m', 'unknowns = 150; plot_file = fullfile(out_dir, ''pec_sphere_rcs.png'');', ...
    {'pec_sphere_rcs.png', rcs(1), 'rb', 1}
  'dielectric_sphere_study.m', ['unknowns = 150; ' ...
                                'plot_file = fullfile(out_dir, ''dielectric_sphere_rcs.png'');'], ...
    {'dielectric_sphere_rcs.png', rcs(2), 'rb', 2}
  'coated_sphere_study.m', 'unknowns = 200; plot_file = fullfile(out_dir, ''coated_sphere_rcs.png'');', ...
    {'coated_sphere_rcs.png', rcs(2), 'rb', 2}
  'layered_sphere_study.m', 'unknowns = 300;', ...
    {'layered_sphere_rcs.png', rcs(1), 'rb', 1}
  'debye_sweep_study.m', 'freq = [0.3e9 0.9e9 1.5e9]; mesh_size = 0.015;', ...
    {'debye_sweep.png', [800 500], order(1:3, :), 0; ...
     'debye_sweep_sar.png', [800 500], order(1:2, :), 0}
  % The dipole's xz and yz cuts coincide (it is symmetric about its axis): the red line
  % drawn over the blue one comes out purple.
  'strip_dipole_study.m', 'segments = 10; freqs = linspace(240e6, 330e6, 4);', ...
    {'strip_dipole_impedance.png', [800 700], 'rb', 0; ...
     'strip_dipole_pattern.png', [800 450], [0.5 0 0.5], 0}
  % The patch at the mesh of its own test, three frequencies around the resonance (the
  % middle one has the largest resistance, lossless and lossy), no second mesh.
  'patch_antenna_study.m', ['mesh_size = 0.0075; fine_mesh = 0; freqs = patch_resonance(' ...
                            '0.03, 0.04, 0.0016, 2.2) * [0.98 1 1.02];'], ...
    {'patch_antenna_s11.png', [800 700], 'rb', 0; ...
     'patch_antenna_pattern.png', [800 450], 'rb', 0}
};
unwind_protect
  for plot_case = 1:size(plot_cases, 1)
    out_dir = fullfile(plot_dir, strrep(plot_cases{plot_case, 1}, '.m', ''));
    mkdir(out_dir);
    run_example(fullfile(plot_root, 'examples', plot_cases{plot_case, 1}), ...
                sprintf('out_dir = ''%s''; %s', out_dir, plot_cases{plot_case, 2}));
    plots = plot_cases{plot_case, 3};
    for p = 1:size(plots, 1)
      plot_file = fullfile(out_dir, plots{p, 1});
      expect_png(plot_file, plots{p, 2}(1), plots{p, 2}(2), plots{p, 3});
      panels = plots{p, 4};
      if panels > 0
        csv = dlmread(strrep(plot_file, '.png', '.csv'), ',', 1, 0);
        assert(size(csv, 2) == 1 + 4 * panels && size(csv, 1) > 90, ...
               sprintf('%s: %d x %d numbers', plot_file, size(csv, 1), size(csv, 2)));
      end
      printf('%s: %s checked\n', plot_cases{plot_case, 1}, plot_file);
    end
  end
unwind_protect_cleanup
  confirm_recursive_rmdir(false);
  rmdir(plot_dir, 's');
end_unwind_protect
