#pragma once

#include <QLatin1StringView>

namespace engine {

// The thirteen 16 x 16 cell pictures of the HTML protocol as base64 PNG texts, embedded in its
// style block so that the page needs no file beside it. Made by tools/make-protocol-pictures.
class ProtocolPictures final
{
public:
    static constexpr int kCount = 13;
    // Picture 1 to 13; the empty text for any other number.
    static QLatin1StringView base64(int number);
};

} // namespace engine
