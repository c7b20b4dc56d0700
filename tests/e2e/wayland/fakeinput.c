/* Drives KWin's own pointer through its fake-input Wayland protocol, for the
 * end-to-end tests on KDE Plasma: the X server's XTest moves only XWayland's
 * copy of the pointer.
 *
 * Reads one command a line on stdin and answers "ok" once the compositor has
 * handled it (a round trip), or "error" for a line it does not know:
 *   abs X Y          absolute motion to (X, Y), in the compositor's pixels
 *   rel DX DY        relative motion
 *   button CODE 0|1  a button (evdev code, 272 the left one) up or down
 * Prints "ready" once connected, and ends at the end of its input. */
#include <stdio.h>
#include <string.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input* fake_input;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version)
{
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 3)
        fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 3);
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

int main(void)
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "fakeinput: cannot connect to the Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!fake_input) {
        fprintf(stderr, "fakeinput: the compositor offers no org_kde_kwin_fake_input 3\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake_input, "honura tests", "end-to-end tests");
    printf("ready\n");
    fflush(stdout);

    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        double a, b;
        unsigned code, state;
        const char* answer = "ok";
        if (sscanf(line, "abs %lf %lf", &a, &b) == 2)
            org_kde_kwin_fake_input_pointer_motion_absolute(fake_input, wl_fixed_from_double(a),
                                                            wl_fixed_from_double(b));
        else if (sscanf(line, "rel %lf %lf", &a, &b) == 2)
            org_kde_kwin_fake_input_pointer_motion(fake_input, wl_fixed_from_double(a),
                                                   wl_fixed_from_double(b));
        else if (sscanf(line, "button %u %u", &code, &state) == 2)
            org_kde_kwin_fake_input_button(fake_input, code, state);
        else
            answer = "error";
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "fakeinput: the compositor closed the connection\n");
            return 1;
        }
        printf("%s\n", answer);
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
