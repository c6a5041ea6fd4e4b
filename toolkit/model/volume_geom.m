% VOLUME_GEOM  The volume record's tables from a basis result.
%   GEOM = volume_geom(S, P, T, Faces, Edges, keep, coeffT, weightsT, coeffF, weightsF)
%
%   S          the struct basis returns for the mesh (P, T, Faces, Edges: vertex coordinates
%              and the 1-based tetrahedron, face and edge tables given to basis)
%   keep       the faces (1-based columns of Faces) the record keeps: those whose functions
%              carry contrast jumps; their slot tables are widened to six rows
%   coeffT, weightsT, coeffF, weightsF
%              tetrahedron and triangle rules (barycentric coefficients, weights)
%
%   Returns the counts, slot tables, contrasts and jumps of S, the quadrature points (column
%   (t-1)*QT + q of PointsT, (f-1)*QF + q of PointsF) and the mesh itself (MeshP, MeshT,
%   MeshFaces, FaceIndex, MeshEdgesTotal, MeshVerticesTotal).
%
%   See also VOLUME_RECORD, PREPARE_MODEL, BASIS.
function GEOM = volume_geom(S, P, T, Faces, Edges, keep, coeffT, weightsT, coeffF, weightsF)
  nt = size(T, 2);
  nf = numel(keep);
  GEOM.TetrahedraTotal = nt;
  GEOM.EdgesTotal = size(S.Edge, 2);
  GEOM.FacesNontrivial = nf;
  GEOM.OrderT = numel(weightsT);
  GEOM.OrderF = numel(weightsF);
  GEOM.EdgesTN = S.EdgesTN;
  GEOM.EdgesTNI = S.EdgesTNI;
  GEOM.BasisTC = S.BasisTC;
  GEOM.BasisTCn = S.BasisTC;
  GEOM.VolumeT = S.VolumeT;
  GEOM.CenterT = S.CenterT;
  GEOM.Contrast_real = S.Contrast_real;
  GEOM.Contrast_imag = S.Contrast_imag;
  GEOM.EdgesFN = [S.EdgesFN(:, keep); zeros(3, nf)];
  GEOM.EdgesFNI = S.EdgesFNI(keep);
  GEOM.DiffContrast_real = [S.DiffContrast_real(:, keep); zeros(3, nf)];
  GEOM.DiffContrast_imag = [S.DiffContrast_imag(:, keep); zeros(3, nf)];
  GEOM.CenterF = S.CenterF(:, keep);
  pts = reshape(reshape(P(:, T), 12, nt)' * kron(coeffT, eye(3)), nt, 3, []);
  GEOM.PointsT = reshape(permute(pts, [2 3 1]), 3, []);
  GEOM.WT = weightsT;
  F = Faces(:, keep);
  pts = reshape(reshape(P(:, F), 9, nf)' * kron(coeffF, eye(3)), nf, 3, []);
  GEOM.PointsF = reshape(permute(pts, [2 3 1]), 3, []);
  GEOM.WF = weightsF;
  GEOM.Edge = S.Edge;
  GEOM.MeshP = P;
  GEOM.MeshT = T;
  GEOM.MeshFaces = F;
  GEOM.FaceIndex = keep;
  GEOM.MeshEdgesTotal = size(Edges, 2);
  GEOM.MeshVerticesTotal = numel(unique(T(:)));
end
