# shellcheck shell=bash
# Sourced by the commands that need a display of their own: `arranca_xvfb DIR [WIDTHxHEIGHT]`
# starts a private Xvfb, 1920x1080 unless told, and exports DISPLAY; `para_xvfb` stops it (call
# it from an EXIT trap).
# Xvfb picks a free display number itself and tells it through a pipe in DIR, so two runs on one
# machine never collide; -noreset keeps it up between one client and the next.
xvfb_pid=

arranca_xvfb() {
    mkfifo "$1/numero"
    Xvfb -displayfd 3 -screen 0 "${2:-1920x1080}x24" -nolisten tcp -noreset 3>"$1/numero" 2>"$1/xvfb.log" &
    xvfb_pid=$!
    local numero
    read -r numero <"$1/numero"
    export DISPLAY=":$numero"
    unset WAYLAND_DISPLAY
}

para_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
