#!/usr/bin/env bash
# The README's route to `import orvo`: a virtual environment with the
# system's site packages and pip without build isolation, from a copy of the
# sources (the tree stays clean); then a song converted and read back with mido.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
cp -r "$root/pyproject.toml" "$root/setup.py" "$root/include" "$root/python" "$work/src/"
cp -r "$root/src" "$work/src/src"
/usr/bin/python3 -m venv --system-site-packages "$work/env"
(cd "$work/src" && "$work/env/bin/pip" install --quiet --no-cache-dir --no-build-isolation .)
cd "$work/env"
"$work/env/bin/python" - "$root/examples/demo.zmd" <<'PY'
import io, sys
import mido
import orvo
result = orvo.convert(open(sys.argv[1], "rb").read(), name="demo.zmd")
assert orvo.__version__ == "1.50.0" and mido.MidiFile(file=io.BytesIO(result.midi)).type == 1
assert orvo._orvo.__file__.startswith(sys.prefix), orvo._orvo.__file__
print("pip install: orvo %s from %s" % (orvo.__version__, orvo.__file__))
PY
