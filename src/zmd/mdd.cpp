#include "zmd/mdd.h"

namespace orvo {

void loadmdd(Session& s, TrackBuffer& tb, int32_t& mdd_wait, const std::string& stored_name) {
  (void)s;
  (void)tb;
  (void)mdd_wait;
  (void)stored_name;
}

}  // namespace orvo
