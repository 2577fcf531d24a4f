#include "workbook/xml_stream.h"

#include <cstring>
#include <exception>
#include <utility>

#include "workbook/error.h"

namespace workbook {
namespace {
constexpr char kUriSeparator = ' ';
}  // namespace

void SplitXmlName(const char* name, char separator, std::string_view& ns, std::string_view& local) {
  // One pass: the end of the name and its last separator.
  const char* sep = nullptr;
  const char* end = name;
  for (; *end != '\0'; ++end) {
    if (*end == separator) sep = end;
  }
  if (sep == nullptr) {
    ns = {};
    local = std::string_view(name, static_cast<std::size_t>(end - name));
  } else {
    ns = std::string_view(name, static_cast<std::size_t>(sep - name));
    local = std::string_view(sep + 1, static_cast<std::size_t>(end - sep - 1));
  }
}

const char* XmlAttributes::Get(std::string_view local, std::string_view ns) const {
  for (const char** a = atts_; a != nullptr && a[0] != nullptr; a += 2) {
    std::string_view attrNs, attrLocal;
    SplitXmlName(a[0], separator_, attrNs, attrLocal);
    if (attrLocal == local && (ns.empty() || attrNs == ns)) return a[1];
  }
  return nullptr;
}

XmlStream::XmlStream(std::unique_ptr<ZipMember> member, XmlHandler& handler, XmlNames names)
    : member_(std::move(member)),
      handler_(handler),
      separator_(names == XmlNames::Resolved ? kUriSeparator : ':'),
      parser_(names == XmlNames::Resolved ? XML_ParserCreateNS(nullptr, kUriSeparator)
                                          : XML_ParserCreate(nullptr)) {
  if (parser_ == nullptr) throw std::bad_alloc();
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, &XmlStream::OnStart, &XmlStream::OnEnd);
  XML_SetCharacterDataHandler(parser_, &XmlStream::OnText);
  XML_SetStartDoctypeDeclHandler(parser_, &XmlStream::OnDoctype);
  XML_SetEntityDeclHandler(parser_, &XmlStream::OnEntity);
  XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlStream::~XmlStream() { XML_ParserFree(parser_); }

std::string XmlStream::Where() const {
  return "part '" + member_->name() + "', line " +
         std::to_string(XML_GetCurrentLineNumber(parser_)) + ", column " +
         std::to_string(XML_GetCurrentColumnNumber(parser_) + 1);
}

void XmlStream::Fail(const std::string& why) const {
  // Called from a handler: Trap adds where the parser stands.
  throw Error(Error::Kind::Damaged, why);
}

void XmlStream::Trap(std::exception_ptr error) {
  // Expat is C: an exception must not unwind through it. It is kept, the
  // parser stopped, and the exception rethrown once expat has returned.
  try {
    std::rethrow_exception(error);
  } catch (const Error& e) {
    Trap(e.kind(), e.what());
    return;
  } catch (...) {
  }
  if (!pending_) pending_ = error;
  XML_StopParser(parser_, XML_FALSE);
}

void XmlStream::Trap(Error::Kind kind, const std::string& why) {
  if (!pending_) pending_ = std::make_exception_ptr(Error(kind, why + " (" + Where() + ")"));
  XML_StopParser(parser_, XML_FALSE);
}

bool XmlStream::Pump() {
  if (done_) return false;
  XML_Status status;
  if (suspended_) {
    suspended_ = false;
    status = XML_ResumeParser(parser_);
  } else {
    // Inflate straight into expat's own buffer: nothing is copied, and a
    // suspended parse resumes in place.
    void* buffer = XML_GetBuffer(parser_, static_cast<int>(kChunk));
    if (buffer == nullptr) throw std::bad_alloc();
    const std::size_t n = member_->Read(static_cast<char*>(buffer), kChunk);
    lastFed_ = n == 0;
    status = XML_ParseBuffer(parser_, static_cast<int>(n), lastFed_ ? XML_TRUE : XML_FALSE);
  }
  if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
  if (status == XML_STATUS_SUSPENDED) {
    suspended_ = true;
    return true;
  }
  if (status != XML_STATUS_OK) {
    throw Error(Error::Kind::Damaged, std::string("the XML is not well-formed: ") +
                                          XML_ErrorString(XML_GetErrorCode(parser_)) + " (" +
                                          Where() + ")");
  }
  if (lastFed_) done_ = true;
  return !done_;
}

void XmlStream::OnStart(void* self, const XML_Char* name, const XML_Char** atts) {
  auto* s = static_cast<XmlStream*>(self);
  if (++s->depth_ > kMaxDepth) {
    s->Trap(Error::Kind::Damaged,
            "elements are nested more than " + std::to_string(kMaxDepth) + " deep");
    return;
  }
  std::string_view ns, local;
  SplitXmlName(name, s->separator_, ns, local);
  try {
    s->handler_.StartElement(ns, local, XmlAttributes(atts, s->separator_));
  } catch (...) {
    s->Trap(std::current_exception());
  }
}

void XmlStream::OnEnd(void* self, const XML_Char* name) {
  auto* s = static_cast<XmlStream*>(self);
  --s->depth_;
  std::string_view ns, local;
  SplitXmlName(name, s->separator_, ns, local);
  try {
    s->handler_.EndElement(ns, local);
  } catch (...) {
    s->Trap(std::current_exception());
  }
}

void XmlStream::OnText(void* self, const XML_Char* text, int length) {
  auto* s = static_cast<XmlStream*>(self);
  try {
    s->handler_.Text(std::string_view(text, static_cast<std::size_t>(length)));
  } catch (...) {
    s->Trap(std::current_exception());
  }
}

void XmlStream::OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  auto* s = static_cast<XmlStream*>(self);
  s->Trap(Error::Kind::Damaged,
          "a document type declaration (DTD) is not allowed in a workbook part");
}

void XmlStream::OnEntity(void* self, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                         const XML_Char*, const XML_Char*, const XML_Char*) {
  auto* s = static_cast<XmlStream*>(self);
  s->Trap(Error::Kind::Damaged, "an entity declaration is not allowed in a workbook part");
}

}  // namespace workbook
