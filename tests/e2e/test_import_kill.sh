# orvenda-chart import killed with SIGKILL at moments spread over its run: every chart stays
# whole, old or new; every chart it said it wrote is new; a later import finishes the job.
source "$(dirname "$0")/lib.sh" "$1"
tool="$(dirname "$BIN")/orvenda-chart"
dir="$WORK/kill"
mkdir -p "$dir/NAMES"

# 10,000 records; the first 3,000 names are charts already, with other contents, which
# --force replaces.
python3 - "$WORK" "$dir/NAMES" <<'PY'
import struct, sys
work, names = sys.argv[1], sys.argv[2]
with open(work + "/in.csv", "w") as f:
    f.write("name,day,month,year,hour,minute,second,gmtHours,gmtMinutes,lonDegrees,lonMinutes,"
            "lonSeconds,latDegrees,latMinutes,latSeconds\r\n")
    for i in range(10000):
        f.write(f"Person {i:05d},{1 + i % 28},{1 + i % 12},{1900 + i % 120},12,{i % 60},0,1,0,"
                f"{i % 60},{i * 7 % 60},0,{30 + i % 30},{i % 60},0\r\n")
for i in range(3000):
    open(f"{names}/Person {i:05d}", "wb").write(struct.pack("<14i", 1, 1, 2000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0))
PY

# Whether NAMES holds only whole charts, each old or new, and whether what the import said
# it wrote is new.
whole() {  # report-file
  python3 - "$dir/NAMES" "$1" <<'PY'
import os, struct, sys
names, report = sys.argv[1], sys.argv[2]
def new(i):
    return struct.pack("<14i", 1 + i % 28, 1 + i % 12, 1900 + i % 120, 12, i % 60, 0, 1, 0,
                       i % 60, i * 7 % 60, 0, 30 + i % 30, i % 60, 0)
old = struct.pack("<14i", 1, 1, 2000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)
charts = temporaries = 0
for f in os.listdir(names):
    if f.startswith(".orvenda\u2023"):
        temporaries += 1
        continue
    data = open(os.path.join(names, f), "rb").read()
    if f.endswith(".txt"):
        assert data == b"", (f, "a notes file with contents")
        assert os.path.exists(os.path.join(names, f[:-4])), (f, "notes without their chart")
        continue
    i = int(f.split()[1])
    assert data == new(i) or (i < 3000 and data == old), (f, len(data), data)
    charts += 1
said = [l.split(" ", 1)[1] for l in open(report, encoding="utf-8").read().splitlines()
        if l.startswith("written ")]
for name in said:
    assert open(os.path.join(names, name), "rb").read() == new(int(name.split()[1])), name
print(f"{charts} charts, {temporaries} temporaries, {len(said)} said to be written")
PY
}

for round in 1 2 3 4 5 6 7 8 9 10; do
  "$tool" -C "$dir" import --force "$WORK/in.csv" >"$WORK/report" 2>/dev/null &
  pid=$!
  # From the first writes to the last renames: a twentieth of a second up to about two.
  sleep "$(python3 -c "import random; print(round(0.05 + random.random() * 1.9, 3))")"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  result=$(whole "$WORK/report" 2>&1)
  check "round $round: after kill -9 every chart is whole, old or new (${result##*$'\n'})" \
    grep -q ' said to be written$' <<<"$result"
done
"$tool" -C "$dir" import --force "$WORK/in.csv" >"$WORK/report" 2>"$WORK/err"
check "an import run to the end: status 0" [ "$?" = 0 ]
result=$(whole "$WORK/report" 2>&1)
check "then every chart is whole and new, said so ($result)" \
  grep -q '^10000 charts, [0-9]* temporaries, 10000 said to be written$' <<<"$result"
check "list shows the 10,000 charts, no temporary among them" \
  [ "$("$tool" -C "$dir" list | tail -n +2 | wc -l)" = 10000 ]
finish
