// A static text of a dialog turned into a web link: drawn underlined in the link colour, red
// while the mouse is over it, with a hand cursor and a tooltip; it takes the keyboard focus and
// opens its target with the shell when clicked or when the space bar is pressed. The window is
// fitted to its text.
#pragma once

#include <windows.h>

#include "base/Handle.h"
#include "framework/Wnd.h"

class CHyperLink : public CStatic {
public:
    CHyperLink();
    ~CHyperLink() override;

    // The target given to the shell (null: none) and the tooltip text (null: the target).
    void SetUrl(const wchar_t* url, const wchar_t* tipText = nullptr);
    // Opens the target; false only when there is none.
    bool OpenLink();
    void FitToText();
    void LoadLinkCursor();

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    const CString& GetUrl() const { return url; }
    bool IsHovering() const { return hovering; }
    HWND GetToolTip() const { return tooltip.Get(); }
    HCURSOR GetLinkCursor() const { return linkCursor; }

protected:
    void OnSubclassed() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(DRAWITEMSTRUCT* drawItem) override;

private:
    // The control paints no background of its own, so its parent redraws the area.
    void RepaintArea();
    void RelayToToolTip(UINT message, WPARAM wParam, LPARAM lParam);

    COLORREF normalColor;
    COLORREF hoverColor = RGB(255, 0, 0);
    bool hovering = false;
    CString url;
    CFontHandle linkFont;
    HCURSOR linkCursor = nullptr;
    bool ownsCursor = false;
    int focusBorderX = 1;
    int focusBorderY = 1;
    unsigned alignment : 2;
    CWindowHandle tooltip;
};
