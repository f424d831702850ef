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

protected:
    void OnSubclassed() override;
    MessageTable GetMessageTable() const override;

private:
    // Opens the target; false only when there is none.
    bool OpenLink();
    void FitToText();
    // The control paints no background of its own, so its parent redraws the area.
    void RepaintArea();
    void RelayToToolTip(const CMessage& message);

    // The control's own messages.
    void OnSetCursor(CMessage& message);
    void OnMouseMove(CMessage& message);
    void OnMouseButton(CMessage& message);
    void OnCaptureChanged(CMessage& message);
    void OnGetDlgCode(CMessage& message);
    void OnKeyDown(CMessage& message);
    void OnFocusChanged(CMessage& message);
    void OnDestroy(CMessage& message);
    // Its notifications, as the parent passes them back.
    void OnCtlColor(CMessage& message);
    void OnClicked(CMessage& message);
    void OnDrawItem(CMessage& message);

    COLORREF m_normalColor;
    COLORREF m_hoverColor = RGB(255, 0, 0);
    bool m_hovering = false;
    CString m_url;
    CFontHandle m_linkFont;
    HCURSOR m_linkCursor = nullptr;
    int m_focusBorderX;
    int m_focusBorderY;
    // The horizontal alignment of the template's style: 1 centred, 2 right, 0 left.
    unsigned m_alignment = 0;
    CWindowHandle m_tooltip;
};
