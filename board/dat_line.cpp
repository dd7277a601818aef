#include "board/dat_line.h"

namespace vexa {

// Fields are found by their "<>" separators, not by the next "<": names carry tags such as
// "</b>" around a trip, and a split at those would shift every later field.
DatLine splitDatLine(std::string_view line) {
  DatLine fields;
  const size_t nameEnd = line.find("<>");
  if (nameEnd == std::string_view::npos) return fields;
  const size_t mailEnd = line.find("<>", nameEnd + 2);
  if (mailEnd == std::string_view::npos) return fields;
  const size_t dateStart = mailEnd + 2;
  const size_t dateEnd = line.find("<>", dateStart);
  if (dateEnd == std::string_view::npos) return fields;
  fields.complete = true;

  // The ID is looked for in the date field only: a body that quotes someone's "ID:" must not
  // become the poster's ID and cut the body short.
  const std::string_view date = line.substr(dateStart, dateEnd - dateStart);
  const size_t idMark = date.find("ID:");
  if (idMark != std::string_view::npos) {
    // Boards of today follow the ID with more fields ("ID:abc BE:123-2BP(1)"): the ID is the
    // first word, so one poster's posts carry one ID whatever follows it.
    const std::string_view id = date.substr(idMark + 3);
    fields.id = id.substr(0, id.find_first_of(" \t"));
  }

  std::string_view body = line.substr(dateEnd + 2);
  const size_t bodyEnd = body.find("<>");
  if (bodyEnd != std::string_view::npos) body = body.substr(0, bodyEnd);
  fields.body = body;
  return fields;
}

}  // namespace vexa
