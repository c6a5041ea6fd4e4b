// Failure reporting of the host-free numerical cores.
//
// A core never talks to the host. When it meets input it cannot use, it throws mom::Error with
// a short mnemonic (the part after "module:" in the host's error identifier) and a message that
// names the offending argument or record field. The gateway of each module is the only place
// that turns it into a host error (see host_arrays.hpp).
#pragma once

#include <stdexcept>
#include <string>

namespace mom {

class Error : public std::runtime_error {
 public:
  Error(std::string mnemonic, const std::string& message)
      : std::runtime_error(message), mnemonic_(std::move(mnemonic)) {}
  // Identifier suffix, e.g. "badField"; the gateway prefixes the module name.
  const std::string& mnemonic() const noexcept { return mnemonic_; }

 private:
  std::string mnemonic_;
};

// A working array that cannot be had: too large for the address space, for the memory of this
// machine, or refused by the allocator.
class OutOfMemory : public Error {
 public:
  explicit OutOfMemory(const std::string& message) : Error("outOfMemory", message) {}
};

[[noreturn]] inline void fail(const std::string& mnemonic, const std::string& message) {
  throw Error(mnemonic, message);
}

}  // namespace mom
