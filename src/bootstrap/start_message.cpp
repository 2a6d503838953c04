#include "bootstrap/start_message.h"

LRESULT on_start_message() {
    PostQuitMessage(0);
    return 1;
}
