#include "render/render_note.h"

namespace orvo {

// Placeholder until the renderer lands: time passes, nothing sounds.
size_t render_note(Session& s, TrackBuffer& tb, NoteRenderRequest& r) {
  (void)s;
  (void)tb;
  *r.pending += r.step;
  return 0;
}

}  // namespace orvo
