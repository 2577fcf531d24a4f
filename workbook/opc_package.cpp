#include "workbook/opc_package.h"

#include "workbook/error.h"

namespace workbook {
namespace {

class RelationshipsHandler : public XmlHandler {
 public:
  RelationshipsHandler(const std::string& sourcePart, std::vector<Relationship>& out)
      : sourcePart_(sourcePart), out_(out) {}

  void StartElement(std::string_view, std::string_view local, const XmlAttributes& a) override {
    if (local != "Relationship") return;
    const char* id = a.Get("Id");
    const char* type = a.Get("Type");
    const char* target = a.Get("Target");
    const char* mode = a.Get("TargetMode");
    if (id == nullptr || type == nullptr || target == nullptr) return;
    Relationship rel;
    rel.id = id;
    rel.type = type;
    rel.external = mode != nullptr && std::string_view(mode) == "External";
    rel.target = rel.external ? target : ResolvePartName(sourcePart_, target);
    out_.push_back(std::move(rel));
  }
  void EndElement(std::string_view, std::string_view) override {}

 private:
  const std::string& sourcePart_;
  std::vector<Relationship>& out_;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string_view RelationshipKind(std::string_view type) {
  const std::size_t slash = type.rfind('/');
  return slash == std::string_view::npos ? type : type.substr(slash + 1);
}

std::string ResolvePartName(const std::string& sourcePart, std::string_view target) {
  std::string decoded;
  for (std::size_t i = 0; i < target.size(); ++i) {
    if (target[i] == '%' && i + 2 < target.size() && HexValue(target[i + 1]) >= 0 &&
        HexValue(target[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(target[i + 1]) * 16 + HexValue(target[i + 2]));
      i += 2;
    } else {
      decoded += target[i] == '\\' ? '/' : target[i];
    }
  }
  std::vector<std::string> segments;
  if (decoded.empty() || decoded.front() != '/') {
    // Relative to the folder of the source part.
    std::size_t start = 0;
    const std::size_t folderEnd = sourcePart.rfind('/');
    const std::string folder =
        folderEnd == std::string::npos ? "" : sourcePart.substr(0, folderEnd);
    while (start < folder.size()) {
      std::size_t end = folder.find('/', start);
      if (end == std::string::npos) end = folder.size();
      if (end > start) segments.push_back(folder.substr(start, end - start));
      start = end + 1;
    }
  }
  std::size_t start = 0;
  while (start <= decoded.size()) {
    std::size_t end = decoded.find('/', start);
    if (end == std::string::npos) end = decoded.size();
    const std::string segment = decoded.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string part;
  for (const auto& s : segments) part += (part.empty() ? "" : "/") + s;
  return part;
}

std::vector<Relationship> OpcPackage::RelationshipsOf(const std::string& part) const {
  const std::size_t slash = part.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  const std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
  const std::string relsPart = folder + "_rels/" + file + ".rels";
  std::vector<Relationship> rels;
  if (!Has(relsPart)) return rels;
  RelationshipsHandler handler(part, rels);
  OpenXml(relsPart, handler)->ParseAll();
  return rels;
}

std::unique_ptr<XmlStream> OpcPackage::OpenXml(const std::string& part, XmlHandler& handler,
                                               XmlNames names) const {
  const auto index = zip_->Find(part);
  if (!index) ThrowDamaged("the part '" + part + "' is missing from the workbook");
  return std::make_unique<XmlStream>(zip_->OpenMember(*index, part), handler, names);
}

const Relationship* FindRelationship(const std::vector<Relationship>& rels, std::string_view id) {
  for (const auto& r : rels) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

const Relationship* FindRelationshipOfKind(const std::vector<Relationship>& rels,
                                           std::string_view kind) {
  for (const auto& r : rels) {
    if (!r.external && RelationshipKind(r.type) == kind) return &r;
  }
  return nullptr;
}

}  // namespace workbook
