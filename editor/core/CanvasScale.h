// The canvas's zoom and the size of its resize handle, shared by the document (which stores the
// zoom and hit-tests the handle), the zoom controls and the view that draws them.
#pragma once

namespace tav::editor {

// The zoom goes in steps of a tenth: step 1 is 10 %, step 20 is 200 %. The slider counts the
// steps, the combo box lists them, the file stores step / 10.
inline constexpr int kMinZoomStep = 1;
inline constexpr int kMaxZoomStep = 20;
inline constexpr int kZoomStepsPerUnit = 10;
inline constexpr int kZoomChoices = kMaxZoomStep - kMinZoomStep + 1;
inline constexpr float kMinZoom = static_cast<float>(kMinZoomStep) / kZoomStepsPerUnit;
inline constexpr float kMaxZoom = static_cast<float>(kMaxZoomStep) / kZoomStepsPerUnit;

// The resize handle: a square of this many screen pixels at the selection's bottom-right corner,
// the same at every zoom.
inline constexpr int kResizeHandlePixels = 6;

} // namespace tav::editor
