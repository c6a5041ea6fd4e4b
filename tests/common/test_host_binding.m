% Host binding: argument and record reading, results, and the error boundary, through the
% test-only host_probe MEX file. Every failure must be an identified error, never a crash.

% Records: counts, 1-based indices converted to 0-based, range checks naming the field.
rec = struct('Count', 4.7, 'Idx', [1 4 2.9]);
assert(isequal(host_probe(1, rec), [0; 3; 1]));
msg = expect_error(@() host_probe(1, struct('Count', 4, 'Idx', [1 5])), 'host_probe:badIndex');
assert(~isempty(strfind(msg, 'Idx')) && ~isempty(strfind(msg, 'position 2')), msg);
expect_error(@() host_probe(1, struct('Count', 4, 'Idx', [1 NaN])), 'host_probe:badIndex');
expect_error(@() host_probe(1, struct('Count', 4, 'Idx', 0)), 'host_probe:badIndex');
expect_error(@() host_probe(1, struct('Idx', 1)), 'host_probe:missingField', 'Count');
expect_error(@() host_probe(1, struct('Count', -1, 'Idx', [])), 'host_probe:badCount');
expect_error(@() host_probe(1, 5), 'host_probe:badRecord');
expect_error(@() host_probe(1, struct('Count', {})), 'host_probe:badRecord');
expect_error(@() host_probe(1, struct('Count', 2, 'Idx', 'ab')), 'host_probe:badType');
expect_error(@() host_probe(1, struct('Count', 2, 'Idx', sparse([1 2]))), 'host_probe:badType');
expect_error(@() host_probe(8, struct('M', zeros(2, 5))), 'host_probe:badSize', '2 x 5');
assert(isequal(host_probe(8, struct('M', zeros(3, 2))), [3 2]));
% Fields are read from element 0 of a struct array.
r2 = struct('Count', {2, 9}, 'Idx', {[2 1], [9 9]});
assert(isequal(host_probe(1, r2), [1; 0]));

% Scalars truncate toward zero.
assert(host_probe(7, 2.9) == 2 && host_probe(7, -0.5) == 0 && host_probe(7, -2.9) == -2);
assert(host_probe(7, true) == 1 && host_probe(7, int8(5)) == 5);
expect_error(@() host_probe(7, NaN), 'host_probe:badScalar');
expect_error(@() host_probe(7, []), 'host_probe:badScalar');
expect_error(@() host_probe(7, 'a'), 'host_probe:badScalar');
expect_error(@() host_probe(7), 'host_probe:missingArgument');
% Actions that read a second argument, called without it: an identified error, and no read past
% the argument array (the sanitizer run of this test catches one).
expect_error(@() host_probe(1), 'host_probe:badRecord');
expect_error(@() host_probe(8), 'host_probe:badRecord');
expect_error(@() host_probe(7, 2 + 1i), 'host_probe:badType', 'must be real');

% Results: struct fields in the given order.
s = host_probe(2);
assert(isequal(fieldnames(s), {'b'; 'a'}) && s.b == 2 && isequal(s.a, [1 2 3]));

% The boundary: C++ failures become identified host errors and the session survives.
expect_error(@() host_probe(3), 'host_probe:outOfMemory');
expect_error(@() host_probe(4), 'host_probe:internal', 'probe failure');
msg = expect_error(@() host_probe(5), 'host_probe:outOfMemory', 'requested');
expect_error(@() host_probe(), 'host_probe:usage', 'host_probe needs an action');
expect_error(@() host_probe(99), 'host_probe:badAction');

% Warnings carry an identifier that users can switch off.
lastwarn('');
assert(host_probe(6) == 1);
[~, id] = lastwarn();
assert(strcmp(id, 'host_probe:probeWarning'));

% Many failing calls in a row leak nothing that would end the session.
for i = 1:200
  try, host_probe(1, struct('Count', 4, 'Idx', [1 5])); catch, end
end
assert(isequal(host_probe(1, rec), [0; 3; 1]));
