#pragma once
// The windows and the printed forms name Windows fonts; map them to installed, metric-compatible
// families so that texts keep their widths.

namespace kvor {

// Tahoma -> DejaVu Sans; Arial and "Arial CE" -> Liberation Sans. Call once after the
// application object exists, before the first window is created.
void installFontSubstitutes();

} // namespace kvor
