#pragma once

#include "ModelCheck.h"

// modelcheck render MODEL.mdl PAGE OUT.png|OUT.pdf: draws one page of the model as the browser
// shows it right after opening (default colours, the model's default font, no relations
// counted) into a PNG or PDF file. Needs Qt; without a display it draws off screen.
//
// Exit statuses: 0 written; 1 the model does not load (its messages on err), the page is
// unknown or cannot be drawn; 64 usage (wrong arguments, unknown file type); 74 the file
// cannot be written.
int RunRenderCommand(const std::vector<std::string>& positional, std::FILE* out, std::FILE* err);

// The render command for RunModelCheck's extensions.
CModelCheckExtension RenderExtension();
