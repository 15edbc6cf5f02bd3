#pragma once

namespace tw {

// Makes the program's pictures and icons (":/icons/...", ":/pictures/...") available. They live
// in the GUI library, which a static build has to register by hand; calling again is harmless.
void registerPictureResources();

} // namespace tw
