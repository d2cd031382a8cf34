#include "signature/signature.h"

#include "driver/options.h"

namespace orvo {

void loadsignature(const ConvertOptions& options, SignatureData& data, ErrorStream& err) {
  (void)options;
  (void)data;
  (void)err;
}

}  // namespace orvo
