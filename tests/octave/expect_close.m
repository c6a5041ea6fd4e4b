% EXPECT_CLOSE  Fail unless norm(A(:) - B(:)) <= TOL * max(norm(B(:)), tiny).
%   expect_close(A, B, TOL, WHAT) names WHAT in the failure message.
function expect_close(a, b, tol, what)
  if nargin < 4
    what = 'value';
  end
  if ~isequal(size(a), size(b))
    error('expect_close:size', '%s: size %s, expected %s', what, mat2str(size(a)), ...
          mat2str(size(b)));
  end
  err = norm(a(:) - b(:));
  ref = max(norm(b(:)), realmin);
  if ~(err <= tol * ref)
    error('expect_close:value', '%s: relative error %.3g exceeds %.3g', what, err / ref, tol);
  end
end
