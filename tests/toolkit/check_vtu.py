#!/usr/bin/env python3
"""Reads a .vtu file with two independent readers (meshio and VTK's own XML reader) and
compares what they find with the values the writer was given.

usage: check_vtu.py FILE.vtu EXPECTED.txt

EXPECTED.txt holds blocks "KIND NAME NCOMP N" followed by NCOMP*N numbers, tuple by tuple:
  points   -   3 Np    vertex coordinates
  tri/quad/tet - n Nc  1-based vertex numbers of the cells of that kind
  cell     NAME c Nc   cell array (all cells, in the order triangles, quadrilaterals, tetrahedra)
  point    NAME c Np   point array
  tri_area -   1 Nt    area each triangle must have
Exit status 0 when everything agrees (values to 1e-15 relative, integers exactly)."""
import sys

import meshio
import numpy as np
import vtk
from vtk.util.numpy_support import vtk_to_numpy


def read_expected(path):
    tokens = open(path).read().split()
    blocks, i = [], 0
    while i < len(tokens):
        kind, name, ncomp, n = tokens[i], tokens[i + 1], int(tokens[i + 2]), int(tokens[i + 3])
        i += 4
        values = np.array([float(t) for t in tokens[i:i + ncomp * n]]).reshape(n, ncomp)
        i += ncomp * n
        blocks.append((kind, name, values))
    return blocks


def close(a, b, what, errors):
    a = np.asarray(a, dtype=float).reshape(b.shape)
    scale = max(np.max(np.abs(b)), 1e-300) if b.size else 1.0
    err = np.max(np.abs(a - b)) / scale if b.size else 0.0
    if not err <= 1e-15:
        errors.append("%s: relative difference %.3g" % (what, err))


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    vtu, expected = sys.argv[1], sys.argv[2]
    blocks = read_expected(expected)
    errors = []
    vtk_type = {"tri": 5, "quad": 9, "tet": 10}
    meshio_type = {"tri": "triangle", "quad": "quad", "tet": "tetra"}

    # meshio: points, cell blocks, data per block (concatenated in block order).
    m = meshio.read(vtu)
    cells = {c.type: c.data for c in m.cells}
    order = [c.type for c in m.cells]
    # VTK's reader.
    r = vtk.vtkXMLUnstructuredGridReader()
    r.SetFileName(vtu)
    r.Update()
    g = r.GetOutput()
    vpoints = vtk_to_numpy(g.GetPoints().GetData())
    vtypes = np.array([g.GetCellType(i) for i in range(g.GetNumberOfCells())])

    expected_order = [meshio_type[k] for k, _, _ in blocks if k in meshio_type]
    if order != expected_order:
        errors.append("meshio cell blocks %s, expected %s" % (order, expected_order))
    first = 0
    for kind, name, values in blocks:
        if kind == "points":
            close(m.points, values, "meshio points", errors)
            close(vpoints, values, "vtk points", errors)
        elif kind in vtk_type:
            conn = values.astype(np.int64) - 1
            if not np.array_equal(cells.get(meshio_type[kind]), conn):
                errors.append("meshio %s connectivity differs" % kind)
            n = len(conn)
            if not np.all(vtypes[first:first + n] == vtk_type[kind]):
                errors.append("vtk cell types of the %s cells differ" % kind)
            for j in (0, n // 2, n - 1):
                ids = g.GetCell(first + j).GetPointIds()
                got = [ids.GetId(q) for q in range(ids.GetNumberOfIds())]
                if got != list(conn[j]):
                    errors.append("vtk %s cell %d: %s, expected %s" % (kind, j, got, list(conn[j])))
            first += n
        elif kind == "cell":
            got = np.concatenate([np.asarray(d).reshape(len(d), -1) for d in m.cell_data[name]])
            close(got, values, "meshio cell array " + name, errors)
            a = g.GetCellData().GetArray(name)
            if a is None:
                errors.append("vtk: no cell array " + name)
            else:
                close(vtk_to_numpy(a).reshape(len(values), -1), values, "vtk cell array " + name,
                      errors)
        elif kind == "point":
            close(np.asarray(m.point_data[name]).reshape(len(values), -1), values,
                  "meshio point array " + name, errors)
            a = g.GetPointData().GetArray(name)
            if a is None:
                errors.append("vtk: no point array " + name)
            else:
                close(vtk_to_numpy(a).reshape(len(values), -1), values, "vtk point array " + name,
                      errors)
        elif kind == "tri_area":
            t = cells["triangle"]
            p = m.points
            area = 0.5 * np.linalg.norm(np.cross(p[t[:, 1]] - p[t[:, 0]], p[t[:, 2]] - p[t[:, 0]]),
                                        axis=1)
            err = np.max(np.abs(area - values[:, 0])) / np.max(values)
            if not err < 1e-9:
                errors.append("triangle areas differ by %.3g" % err)
    for e in errors:
        print("check_vtu: " + e)
    if not errors:
        print("check_vtu: %s agrees (%d blocks)" % (vtu, len(blocks)))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
