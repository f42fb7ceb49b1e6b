#!/usr/bin/env bash
# capture.sh again, in an X session of its own without a compositing
# manager: the toolbar is then left out by its shape.
#   capture_without_compositor.sh <overink>
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
OVERINK_E2E_NAME=capture_without_compositor \
  exec "$here/../../scripts/x11-session" --no-compositor -- "$here/capture.sh" "$@"
