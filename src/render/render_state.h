// State shared by the note renderer and the modulation generator for one run.
#pragma once

namespace orvo {

struct RenderState {};

}  // namespace orvo
