#include "formats/clap/ClapGui.h"

#include "shell/AEffEditor.h"

#include <cstring>

namespace quenchbox::clap {

const char* ClapGui::windowApi()
{
#if defined(_WIN32)
    return CLAP_WINDOW_API_WIN32;
#else
    return nullptr;
#endif
}

bool ClapGui::isApiSupported(const char* api, bool isFloating) const
{
    return !isFloating && api != nullptr && windowApi() != nullptr && std::strcmp(api, windowApi()) == 0;
}

bool ClapGui::create(const char* api, bool isFloating)
{
    if (created || !isApiSupported(api, isFloating))
        return false;
    created = true;
    return true;
}

void ClapGui::destroy()
{
    hide();
    parent = nullptr;
    created = false;
}

bool ClapGui::getSize(std::uint32_t* width, std::uint32_t* height)
{
    ERect* rect = nullptr;
    if (width == nullptr || height == nullptr || !editor.getRect(&rect) || rect == nullptr)
        return false;
    *width = static_cast<std::uint32_t>(rect->right - rect->left);
    *height = static_cast<std::uint32_t>(rect->bottom - rect->top);
    return true;
}

bool ClapGui::setParent(const clap_window_t* window)
{
    if (!created || window == nullptr || !isApiSupported(window->api, false) || window->ptr == nullptr)
        return false;
    hide();
    parent = window->ptr;
    // Hosts that embed may never call show: the editor appears at once.
    return show();
}

bool ClapGui::show()
{
    if (parent == nullptr)
        return false;
    if (!open)
        open = editor.open(parent);
    return open;
}

bool ClapGui::hide()
{
    if (open)
        editor.close();
    open = false;
    return created;
}

}  // namespace quenchbox::clap
