// A dielectric block in two layers (physical volumes "lower" and "upper") with a metal
// plate (physical surface "plate") lying half inside the lower layer and half outside it.
// Lengths in metres. Mesh size: gmsh_model's mesh_size option (gmsh -clmax).
SetFactory("OpenCASCADE");
Box(1) = {0, 0, 0, 0.04, 0.04, 0.02};
Box(2) = {0, 0, 0.02, 0.04, 0.04, 0.02};
Rectangle(20) = {0.01, -0.02, 0.01, 0.02, 0.04};
v() = BooleanFragments{ Volume{1, 2}; Delete; }{ Surface{20}; Delete; };
Physical Volume("lower", 1) = {1};
Physical Volume("upper", 2) = {2};
s() = Surface In BoundingBox{0.009, -0.021, 0.009, 0.031, 0.041, 0.011};
Physical Surface("plate", 10) = {s()};
