# The virtual X server that the scripts show the real window on. Sourced,
# not run:
#   . scripts/lib/xvfb.sh
#   start_xvfb 800x480    # the screen's size
# starts Xvfb on a display no other server uses, waits until it takes
# connections, and exports DISPLAY and QT_QPA_PLATFORM=xcb; XVFB_PID names
# the server, for the caller's trap to end it.
start_xvfb() {
    xvfb_ready=$(mktemp)
    # Xvfb picks a free display itself and writes its number once ready.
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$xvfb_ready" >/dev/null 2>&1 &
    XVFB_PID=$!
    i=0
    until [ -s "$xvfb_ready" ]; do
        i=$((i + 1))
        if [ $i -gt 100 ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
            echo "Xvfb did not start" >&2
            rm -f "$xvfb_ready"
            return 1
        fi
        sleep 0.1
    done
    DISPLAY=:$(head -n 1 "$xvfb_ready")
    rm -f "$xvfb_ready"
    export DISPLAY QT_QPA_PLATFORM=xcb
}
