#pragma once
// The one error type of the workbook engine. Its text is written for an
// operator: what was expected, what was found, and where (part or record,
// offset, cell).
#include <stdexcept>
#include <string>

namespace workbook {

class Error : public std::runtime_error {
 public:
  enum class Kind {
    CannotOpen,    // the file cannot be read at all
    NotAWorkbook,  // readable, but no format we know
    Damaged,       // a format we know, but broken
    Unsupported,   // a format we know, with a feature we do not read (encryption)
    TooLarge,      // past one of the engine's limits
  };

  Error(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

[[noreturn]] inline void ThrowDamaged(const std::string& what) {
  throw Error(Error::Kind::Damaged, what);
}

}  // namespace workbook
