# Sourced: start_private_display starts Xvfb on a free display number with the
# openbox window manager and exports DISPLAY; stop_private_display ends both.
start_private_display() {
    local fifo num
    fifo=$(mktemp -u) && mkfifo "$fifo"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    read -r num <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$num"
    for _ in $(seq 50); do
        xprop -root >/dev/null 2>&1 && break
        sleep 0.1
    done
    openbox --sm-disable >/dev/null 2>&1 &
    WM_PID=$!
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
        sleep 0.1
    done
    sleep 0.5 # let the window manager finish starting before windows map
}

stop_private_display() {
    kill "${WM_PID:-}" "${XVFB_PID:-}" 2>/dev/null || true
    wait 2>/dev/null || true
}
