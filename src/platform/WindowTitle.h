#pragma once
// The title that the window system receives for a window, exactly as the program gives it.
class QWindow;

namespace kvor::sys {

// Qt's platform windows hand the window system the application's name in place of an empty
// title. This hands it the window's own title instead, unchanged, an empty one included. Call it
// once the native window exists (from the widget's showEvent on) and again after every change of
// the title.
void keepNativeTitleAsGiven(QWindow* window);

} // namespace kvor::sys
