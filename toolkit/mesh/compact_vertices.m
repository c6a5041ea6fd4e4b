% The vertices of P the elements use (columns of 1-based vertex numbers), in ascending order,
% and the elements renumbered onto them.
function [P, elements] = compact_vertices(P, elements)
  used = unique(elements(:))';
  renumber = zeros(1, size(P, 2));
  renumber(used) = 1:numel(used);
  P = P(:, used);
  elements = renumber(elements);
end
