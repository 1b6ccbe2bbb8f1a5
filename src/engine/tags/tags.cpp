// Purpose: placeholder until the tag reader lands.
#include "engine/tags/tags.h"

namespace orvu::engine {

TagFields readTagFields(const std::string&, const MusicTags*) {
    return {};
}
std::string formatTags(const TagFields&, std::string_view) {
    return {};
}

} // namespace orvu::engine
