// Takes pictures of the real editor in a host window while audio runs: the
// default program, "Screaming Solo" (second variant: Deep dial and other
// curves) and the about view. Saves editor-default.png,
// editor-screaming-solo.png and editor-about.png beside this program.

#include "EditorHost.h"
#include "Pixels.h"
#include "TestPaths.h"
#include "WidgetFixture.h"

#include <cstdio>
#include <string>

namespace {

using namespace wintest;

constexpr int kScreamingSolo = 4;

bool save(const EditorSession& session, const char* name)
{
    const std::string path = besideThisProgram(name);
    const bool saved = savePng(captureWindow(session.hostWindow()), path);
    std::printf("%s %s\n", saved ? "saved" : "could not save", path.c_str());
    return saved;
}

HWND aboutButton(const EditorSession& session) { return session.widgetAt(0, 0); }

}  // namespace

int main()
{
    ComApartment com;
    EditorSession session("QuenchboxRZ.dll");
    if (!session.open())
        return 1;
    session.startAudio(0.6f);
    pumpMessages(600);
    bool saved = save(session, "editor-default.png");

    session.dispatch(effSetProgram, 0, kScreamingSolo);
    pumpMessages(600);
    saved = save(session, "editor-screaming-solo.png") && saved;

    SendMessageA(aboutButton(session), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageA(aboutButton(session), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    pumpMessages(200);
    saved = save(session, "editor-about.png") && saved;
    session.stopAudio();
    return saved ? 0 : 1;
}
