#pragma once

// Zoom of a page view: the steps of Zoom In and Zoom Out, the zoom that fits a page into a
// window, the mapping between page pixels and view pixels at a zoom, and the text that keeps
// a model's zooms in the settings. Qt-free, so the page widget and the tests share the
// numbers.
//
// A zoom is a percentage. At 100 page pixels and view pixels are the same. At other zooms a
// page pixel x covers the view pixels round(x * z) .. round((x + 1) * z) - 1 (z = zoom / 100,
// halves rounded up), which is how an unsmoothed painter scaled by z fills a rectangle, so hit
// testing finds exactly the item drawn under a pixel.

#include <string>
#include <string_view>
#include <vector>

constexpr int kZoomMin = 25;
constexpr int kZoomMax = 400;
constexpr int kZoomActual = 100;

// The zoom clamped to kZoomMin .. kZoomMax.
int ClampZoom(int percent);
// The next step up or down from percent (steps 25, 33, 50, 67, 75, 90, 100, 110, 125, 150,
// 175, 200, 250, 300, 400); a zoom between steps goes to the neighbouring step. The ends stay.
int ZoomInStep(int percent);
int ZoomOutStep(int percent);
// The largest zoom (whole percent, clamped) at which a page of the given size fits whole into
// a view of the given size; kZoomActual for an empty page or view.
int FitZoom(int pageWidth, int pageHeight, int viewWidth, int viewHeight);

// A page coordinate (a pixel edge) as a view coordinate at a zoom, and the page pixel that
// covers a view pixel. At 100 both give their argument back.
int PageToView(int pageCoordinate, int percent);
int ViewToPage(int viewPixel, int percent);

// A model's zooms in page order as "100,150,100"; "" when every one is kZoomActual (nothing
// to keep).
std::string FormatZooms(const std::vector<int>& zooms);
// count zooms read from such a text: missing, empty or unreadable numbers give kZoomActual,
// the others are clamped.
std::vector<int> ParseZooms(std::string_view text, std::size_t count);
