#pragma once
// Inclusive C14N 1.0 without comments of an element and everything under it:
// the canonical form the signature profile digests. Written for the trees
// the documents here make (elements, attributes, namespaces, text), in one
// pass; libxml2's general routine weighs every node against the node set and
// took a fifth of an invoice's generation.
#include <libxml/tree.h>

#include <optional>
#include <string>

namespace velant {

// The canonical text, or nullopt when the tree holds something beyond those
// documents (an entity reference, an xml: attribute above the element, an
// unusual node), which the caller gives to libxml2's routine instead.
std::optional<std::string> CanonizaSubarvore(const xmlNode* elemento);

}  // namespace velant
