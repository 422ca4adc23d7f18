#include "dictionary/valueimages.h"

namespace corvane {

std::span<std::uint8_t> ValueImages::at(ImageLocation where, std::size_t offset, std::size_t width)
{
    std::span<std::uint8_t> image;
    if (where.image == ImageKind::Configuration)
        image = configuration;
    else if (where.image == ImageKind::RunData)
        image = runData;
    std::size_t start = where.offset + offset;
    if (image.empty() || start + width > image.size())
        return {};
    return image.subspan(start, width);
}

std::span<const std::uint8_t> ValueImages::at(ImageLocation where, std::size_t offset, std::size_t width) const
{
    return const_cast<ValueImages*>(this)->at(where, offset, width);
}

} // namespace corvane
