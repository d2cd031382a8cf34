#include "run/session.h"

namespace orvo {

void clear_channel_init_flags(Session& s) { s.channel_init.fill(0); }

}  // namespace orvo
