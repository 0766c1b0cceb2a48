#include "platform/vtwin/key_translation.h"

namespace vtwin {

int TranslateKey(int raw) {
    if (raw <= 0 || raw >= kFirstKeyWithoutCharacter) return 0;
    switch (raw) {
        case '\r':
        case '\n':
            return 10;
        case 127:
        case 8:
            return 8;
        default:
            return raw;
    }
}

}  // namespace vtwin
