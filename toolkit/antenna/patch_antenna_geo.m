% PATCH_ANTENNA_GEO  gmsh geometry of a probe-fed rectangular patch on a finite grounded substrate.
%   patch_antenna_geo(geo_file, p)
%
%   p fields (metres): patch_L (along x), patch_W (along y), sub_h (substrate thickness),
%   sub_size (side of the square substrate and of its ground plane), feed_x (probe offset
%   from the patch centre along x), probe_w (width of the probe strip), mesh_size (largest
%   element size), optionally probe_mesh (element size on the probe strip, default
%   min(probe_w, sub_h) / 2).
%
%   The substrate is the box [-S/2, S/2]^2 x [0, h]; the patch the rectangle of patch_L by
%   patch_W centred on its top face; the probe a vertical strip in the plane y = 0 from the
%   ground (z = 0) to the patch (z = h), spanning x = feed_x +- probe_w/2. The OpenCASCADE
%   kernel fragments the box with both rectangles, so the mesh is conformal: the patch and
%   the ground (the whole bottom face) are triangles of the substrate's faces, the probe
%   triangles lie between tetrahedra, and the probe meets patch and ground along lines of
%   mesh edges (junctions).
%
%   Physical groups: surfaces "patch", "ground", "probe"; volume "substrate"; curve "feed"
%   (the probe's foot on the ground, where the delta-gap port goes).
%
%   Example:  patch_antenna_geo('patch.geo', struct('patch_L', 0.03, 'patch_W', 0.04, ...
%               'sub_h', 0.0016, 'sub_size', 0.06, 'feed_x', 0.006, 'probe_w', 0.001, ...
%               'mesh_size', 0.004));
%
%   See also GMSH_MODEL, DELTA_GAP_PORTS, CURVE_EDGES.
function patch_antenna_geo(geo_file, p)
  if nargin ~= 2 || ~ischar(geo_file) || ~isstruct(p)
    error('patch_antenna_geo:usage', 'usage: patch_antenna_geo(geo_file, parameters)');
  end
  need = {'patch_L', 'patch_W', 'sub_h', 'sub_size', 'feed_x', 'probe_w', 'mesh_size'};
  for i = 1:numel(need)
    if ~isfield(p, need{i}) || ~isscalar(p.(need{i})) || ~isreal(p.(need{i}))
      error('patch_antenna_geo:parameter', 'patch_antenna_geo: parameter %s is missing', need{i});
    end
  end
  if ~isfield(p, 'probe_mesh')
    p.probe_mesh = min(p.probe_w, p.sub_h) / 2;
  end
  if ~(p.patch_L > 0 && p.patch_W > 0 && p.sub_h > 0 && p.probe_w > 0 && p.mesh_size > 0 ...
       && p.sub_size > max(p.patch_L, p.patch_W) && abs(p.feed_x) + p.probe_w / 2 < p.patch_L / 2 ...
       && p.probe_w < p.patch_W)
    error('patch_antenna_geo:parameter', ['patch_antenna_geo: need positive sizes, a substrate ' ...
          'larger than the patch and the probe strip inside the patch']);
  end
  S = p.sub_size;
  h = p.sub_h;
  tol = 1e-3 * min([S, p.probe_w, h]);
  fid = fopen(geo_file, 'w');
  if fid < 0
    error('patch_antenna_geo:open', 'patch_antenna_geo: cannot write "%s"', geo_file);
  end
  g = @(varargin) fprintf(fid, varargin{:});
  g('// Probe-fed patch on a grounded substrate (metres)\nSetFactory("OpenCASCADE");\n');
  g('S = %.17g; h = %.17g; L = %.17g; W = %.17g; xf = %.17g; wf = %.17g; tol = %.17g;\n', ...
    S, h, p.patch_L, p.patch_W, p.feed_x, p.probe_w, tol);
  g('Box(1) = {-S/2, -S/2, 0, S, S, h};\n');
  g('Rectangle(10) = {-L/2, -W/2, h, L, W};\n');
  g('Rectangle(11) = {xf - wf/2, 0, 0, wf, h};\n');
  g('Rotate {{1, 0, 0}, {0, 0, 0}, Pi/2} { Surface{11}; }\n');
  g('BooleanFragments{ Volume{1}; Delete; }{ Surface{10, 11}; Delete; }\n');
  g('patch() = Surface In BoundingBox{-L/2 - tol, -W/2 - tol, h - tol, L/2 + tol, W/2 + tol, h + tol};\n');
  g('ground() = Surface In BoundingBox{-S/2 - tol, -S/2 - tol, -tol, S/2 + tol, S/2 + tol, tol};\n');
  g('probe() = Surface In BoundingBox{xf - wf/2 - tol, -tol, -tol, xf + wf/2 + tol, tol, h + tol};\n');
  g('feed() = Curve In BoundingBox{xf - wf/2 - tol, -tol, -tol, xf + wf/2 + tol, tol, tol};\n');
  g('Physical Surface("patch") = {patch()};\nPhysical Surface("ground") = {ground()};\n');
  g('Physical Surface("probe") = {probe()};\nPhysical Curve("feed") = {feed()};\n');
  g('Physical Volume("substrate") = {Volume{:}};\n');
  g('Mesh.CharacteristicLengthMax = %.17g;\n', p.mesh_size);
  g('MeshSize{ PointsOf{ Surface{probe()}; } } = %.17g;\n', p.probe_mesh);
  fclose(fid);
end
