// A cylindrical phantom (physical volume "body"): radius 2 cm, height 6 cm, axis along z,
// centred at the origin. Lengths in metres. Mesh size: gmsh_model's mesh_size option.
SetFactory("OpenCASCADE");
Cylinder(1) = {0, 0, -0.03, 0, 0, 0.06, 0.02};
Physical Volume("body", 1) = {1};
