#pragma once
// The Open Packaging Conventions layer of .xlsx: parts are found through
// relationship files, never by a fixed path.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/xml_stream.h"
#include "workbook/zip_archive.h"

namespace workbook {

struct Relationship {
  std::string id;
  std::string type;    // the full type URI
  std::string target;  // resolved part name, without a leading '/'
  bool external = false;
};

class OpcPackage {
 public:
  explicit OpcPackage(std::unique_ptr<ZipArchive> zip) : zip_(std::move(zip)) {}

  // The relationships of a part ("" for the package itself); empty when the
  // part has no relationship file.
  std::vector<Relationship> RelationshipsOf(const std::string& part) const;

  bool Has(const std::string& part) const { return zip_->Find(part).has_value(); }
  // Streams a part through a hardened XML parser; throws Damaged when absent.
  std::unique_ptr<XmlStream> OpenXml(const std::string& part, XmlHandler& handler,
                                     XmlNames names = XmlNames::Resolved) const;

 private:
  std::unique_ptr<ZipArchive> zip_;
};

// The last segment of a relationship type URI: ".../worksheet" -> "worksheet".
std::string_view RelationshipKind(std::string_view type);

// A relationship target resolved against the part it belongs to: "/a/b" is
// absolute, "../c" climbs, "%20" escapes are decoded.
std::string ResolvePartName(const std::string& sourcePart, std::string_view target);

const Relationship* FindRelationship(const std::vector<Relationship>& rels, std::string_view id);
const Relationship* FindRelationshipOfKind(const std::vector<Relationship>& rels,
                                           std::string_view kind);

}  // namespace workbook
