% EXPECT_ERROR  Check that calling F() ends with the error identifier ID.
%   expect_error(@() f(x), 'module:mnemonic')
%   expect_error(@() f(x), 'module:mnemonic', 'text')  also requires TEXT in the message.
% Returns the caught error's message.
function msg = expect_error(f, id, text)
  try
    f();
  catch err
    if ~strcmp(err.identifier, id)
      error('expect_error:wrongId', 'expected error id "%s", got "%s": %s', id, ...
            err.identifier, err.message);
    end
    if nargin > 2 && isempty(strfind(err.message, text))
      error('expect_error:wrongText', 'message "%s" does not contain "%s"', err.message, text);
    end
    msg = err.message;
    return;
  end
  error('expect_error:noError', 'expected an error with id "%s", but the call succeeded', id);
end
