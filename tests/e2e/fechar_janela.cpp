// fechar_janela WINDOW_ID: asks an X window to close as a window manager's close button does, with
// a WM_DELETE_WINDOW client message. The private Xvfb of the end-to-end tests runs no window
// manager, and `xdotool windowclose` destroys the window instead of asking.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fechar_janela WINDOW_ID\n");
        return 2;
    }
    char* fim = nullptr;
    const Window janela = std::strtoul(argv[1], &fim, 0);
    if (*fim != '\0' || janela == 0) {
        std::fprintf(stderr, "fechar_janela: not a window id: %s\n", argv[1]);
        return 2;
    }
    Display* tela = XOpenDisplay(nullptr);
    if (tela == nullptr) {
        std::fprintf(stderr, "fechar_janela: cannot open the display\n");
        return 1;
    }
    XEvent evento{};
    evento.xclient.type = ClientMessage;
    evento.xclient.window = janela;
    evento.xclient.message_type = XInternAtom(tela, "WM_PROTOCOLS", False);
    evento.xclient.format = 32;
    evento.xclient.data.l[0] = static_cast<long>(XInternAtom(tela, "WM_DELETE_WINDOW", False));
    evento.xclient.data.l[1] = CurrentTime;
    const Status enviado = XSendEvent(tela, janela, False, NoEventMask, &evento);
    XSync(tela, False);
    XCloseDisplay(tela);
    return enviado != 0 ? 0 : 1;
}
