% WRITE_VTU  Write a VTK XML unstructured grid (.vtu) of triangles, quadrilaterals and tetrahedra.
%   write_vtu(filename, P, cells, cell_data)
%   write_vtu(filename, P, cells, cell_data, point_data)
%
%   filename    the .vtu file to write (ParaView, VisIt, meshio, VTK read it).
%   P           3 x Np vertex coordinates.
%   cells       struct with any of the fields tri (3 x n), quad (4 x n), tet (4 x n): 1-based
%               vertex numbers. The cells are written in that order: triangles, then
%               quadrilaterals, then tetrahedra.
%   cell_data   struct (or []) of arrays, one column per cell in the order above (c x Nc,
%               c = 1 or 3 components); point_data likewise with one column per vertex.
%               A complex array NAME is written as the two arrays NAME_real and NAME_imag.
%               Field names become the array names.
%
%   Format: VTK XML UnstructuredGrid version 1.0, ASCII data inline (human-readable, no
%   compression, no appended section), Float64 values written with 17 significant digits so
%   that every double reads back exactly, Int64 connectivity and offsets (0-based), UInt8
%   cell types (5 triangle, 9 quadrilateral, 10 tetrahedron). Vector arrays carry
%   NumberOfComponents="3".
%
%   Example:  cells.tet = GEOM.MeshT;
%             write_vtu('field.vtu', GEOM.MeshP, cells, struct('E_abs', Eabs));
%
%   See also EXPORT_VTU, WRITE_FAR_FIELD.
function write_vtu(filename, P, cells, cell_data, point_data)
  if nargin < 4 || nargin > 5 || ~ischar(filename) || ~isstruct(cells)
    error('write_vtu:usage', 'usage: write_vtu(filename, P, cells, cell_data, point_data)');
  end
  if nargin < 5
    point_data = [];
  end
  if ~isnumeric(P) || size(P, 1) ~= 3 || ~isreal(P)
    error('write_vtu:P', 'write_vtu: P must be a real 3 x Np matrix');
  end
  np = size(P, 2);
  kinds = {'tri', 3, 5; 'quad', 4, 9; 'tet', 4, 10};
  conn = cell(1, 3);
  types = cell(1, 3);
  sizes = cell(1, 3);
  for i = 1:3
    name = kinds{i, 1};
    if isfield(cells, name) && ~isempty(cells.(name))
      c = double(cells.(name));
      if size(c, 1) ~= kinds{i, 2} || any(c(:) < 1 | c(:) > np | c(:) ~= fix(c(:)))
        error('write_vtu:cells', ['write_vtu: cells.%s must be %d x n with vertex numbers ' ...
              'in 1..%d'], name, kinds{i, 2}, np);
      end
      conn{i} = c(:)' - 1;
      types{i} = repmat(kinds{i, 3}, 1, size(c, 2));
      sizes{i} = repmat(kinds{i, 2}, 1, size(c, 2));
    end
  end
  conn = [conn{:}];
  types = [types{:}];
  offsets = cumsum([sizes{:}]);
  nc = numel(types);
  cd = data_arrays(cell_data, nc, 'cell_data');
  pd = data_arrays(point_data, np, 'point_data');

  [fid, why] = fopen(filename, 'w');
  if fid < 0
    error('write_vtu:open', 'write_vtu: cannot write "%s": %s', filename, why);
  end
  closer = onCleanup(@() fclose(fid));
  fprintf(fid, '<?xml version="1.0"?>\n');
  fprintf(fid, ['<VTKFile type="UnstructuredGrid" version="1.0" byte_order="LittleEndian" ' ...
                'header_type="UInt64">\n<UnstructuredGrid>\n']);
  fprintf(fid, '<Piece NumberOfPoints="%d" NumberOfCells="%d">\n', np, nc);
  fprintf(fid, '<Points>\n');
  write_array(fid, 'Points', 'Float64', double(P));
  fprintf(fid, '</Points>\n<Cells>\n');
  write_array(fid, 'connectivity', 'Int64', conn);
  write_array(fid, 'offsets', 'Int64', offsets);
  write_array(fid, 'types', 'UInt8', types);
  fprintf(fid, '</Cells>\n');
  write_data(fid, 'CellData', cd);
  write_data(fid, 'PointData', pd);
  fprintf(fid, '</Piece>\n</UnstructuredGrid>\n</VTKFile>\n');
end

% Names and real arrays of a data struct, complex arrays split; each c x n.
function list = data_arrays(data, n, what)
  list = cell(0, 2);
  if isempty(data)
    return;
  end
  if ~isstruct(data)
    error('write_vtu:data', 'write_vtu: %s must be a struct of arrays', what);
  end
  for f = fieldnames(data)'
    v = data.(f{1});
    if isvector(v) && numel(v) == n
      v = reshape(v, 1, n);
    end
    if ~isnumeric(v) && ~islogical(v) || size(v, 2) ~= n || ~any(size(v, 1) == [1 2 3 4 6 9])
      error('write_vtu:data', 'write_vtu: %s.%s must have %d columns (one per %s)', what, ...
            f{1}, n, strrep(what, '_data', ''));
    end
    v = double(v);
    if iscomplex(v)
      list(end + 1, :) = {[f{1} '_real'], real(v)};
      list(end + 1, :) = {[f{1} '_imag'], imag(v)};
    else
      list(end + 1, :) = {f{1}, v};
    end
  end
end

function write_data(fid, tag, list)
  if isempty(list)
    return;
  end
  fprintf(fid, '<%s>\n', tag);
  for i = 1:size(list, 1)
    write_array(fid, list{i, 1}, 'Float64', list{i, 2});
  end
  fprintf(fid, '</%s>\n', tag);
end

% One DataArray, one tuple per line.
function write_array(fid, name, type, v)
  ncomp = size(v, 1);
  fprintf(fid, '<DataArray type="%s" Name="%s" NumberOfComponents="%d" format="ascii">\n', ...
          type, name, ncomp);
  if strcmp(type, 'Float64')
    fmt = [repmat('%.17g ', 1, ncomp - 1), '%.17g\n'];
  else
    fmt = [repmat('%d ', 1, ncomp - 1), '%d\n'];
  end
  fprintf(fid, fmt, v);
  fprintf(fid, '</DataArray>\n');
end
