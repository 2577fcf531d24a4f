#pragma once
// A hardened streaming XML parser (expat) over one ZIP member. Element and
// attribute names reach the handler as local names with their namespace
// URI. A document type declaration is refused outright (so no entity is ever
// declared or expanded, and nothing external is loaded), nesting is capped,
// and every failure names the part, line and column.
#include <expat.h>

#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "workbook/error.h"
#include "workbook/zip_archive.h"

namespace workbook {

// Splits an expat name ("uri local", or "prefix:local" with ':' as the
// separator) into its namespace and local name.
void SplitXmlName(const char* name, char separator, std::string_view& ns, std::string_view& local);

// How element and attribute names reach the handler: with their namespace
// URI resolved (ns is the URI), or as written (ns is the prefix, if any),
// which is cheaper for the large parts whose names need no namespace.
enum class XmlNames { Resolved, Prefixed };

// The attributes of one element, as expat gives them.
class XmlAttributes {
 public:
  XmlAttributes(const char** atts, char separator) : atts_(atts), separator_(separator) {}
  // The value of the attribute with this local name (any namespace, or the
  // given one when ns is not empty); null when absent.
  const char* Get(std::string_view local, std::string_view ns = {}) const;

  // Calls f(ns, local, value) for each attribute, in one pass.
  template <typename F>
  void ForEach(F&& f) const {
    for (const char** a = atts_; a != nullptr && a[0] != nullptr; a += 2) {
      std::string_view ns, local;
      SplitXmlName(a[0], separator_, ns, local);
      f(ns, local, a[1]);
    }
  }

 private:
  const char** atts_;
  char separator_;
};

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void StartElement(std::string_view ns, std::string_view local,
                            const XmlAttributes& attributes) = 0;
  virtual void EndElement(std::string_view ns, std::string_view local) = 0;
  virtual void Text(std::string_view) {}
};

class XmlStream {
 public:
  static constexpr int kMaxDepth = 256;
  // Bytes inflated and parsed at a time. Small: a caller that wants one row
  // inflates little more, and the rows a chunk completes wait in memory.
  static constexpr std::size_t kChunk = 4 * 1024;

  XmlStream(std::unique_ptr<ZipMember> member, XmlHandler& handler,
            XmlNames names = XmlNames::Resolved);
  ~XmlStream();
  XmlStream(const XmlStream&) = delete;
  XmlStream& operator=(const XmlStream&) = delete;

  // Parses on, up to the next suspension or the end of the next chunk; false
  // once the whole document has been parsed.
  bool Pump();
  // From inside a handler: stop here, so the caller gets what is complete
  // (a row) before anything more is parsed. The next Pump goes on.
  void Suspend() { XML_StopParser(parser_, XML_TRUE); }
  void ParseAll() {
    while (Pump()) {
    }
  }
  // "part 'xl/worksheets/sheet1.xml', line 3, column 17"
  std::string Where() const;
  // Ends parsing from inside a handler with a Damaged error saying why;
  // where the parser stands is added to it.
  [[noreturn]] void Fail(const std::string& why) const;

 private:
  void Trap(std::exception_ptr error);
  void Trap(Error::Kind kind, const std::string& why);
  static void OnStart(void* self, const XML_Char* name, const XML_Char** atts);
  static void OnEnd(void* self, const XML_Char* name);
  static void OnText(void* self, const XML_Char* text, int length);
  static void OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int);
  static void OnEntity(void* self, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                       const XML_Char*, const XML_Char*, const XML_Char*);

  std::unique_ptr<ZipMember> member_;
  XmlHandler& handler_;
  char separator_;
  XML_Parser parser_;
  int depth_ = 0;
  bool done_ = false;
  bool suspended_ = false;
  bool lastFed_ = false;
  std::exception_ptr pending_;
};

}  // namespace workbook
