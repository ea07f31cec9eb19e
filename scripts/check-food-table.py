#!/usr/bin/env python3
"""Checks the built-in food table against a second copy of the USDA figures.

The second copy is the USDA National Nutrient Database, release 24, as Debian's
cronometer package ships it (public domain). Fetch it without installing:

    apt-get download cronometer
    python3 scripts/check-food-table.py cronometer_*.deb

Every row that names USDA records is compared by record number (an average of
several records is averaged here too). Rows whose figures USDA revised after
release 24, or whose records came later, are listed apart: for those the
second copy can only show how far the revision went.
"""
import io
import re
import subprocess
import sys
import tarfile
import xml.etree.ElementTree as ET
import zipfile
from pathlib import Path

TABLE = Path(__file__).resolve().parent.parent / "src/resources/nutrition/products.tsv"
SOURCE = re.compile(r"^USDA (?:FDC SR Legacy|SR24) ([0-9]{5}(?:(?:, | и )[0-9]{5})*):")


def sr24_records(deb: Path) -> dict:
    data = subprocess.run(["dpkg-deb", "--fsys-tarfile", str(deb)], check=True,
                          capture_output=True).stdout
    with tarfile.open(fileobj=io.BytesIO(data)) as tar:
        jar = tar.extractfile("./usr/share/cronometer/usda_sr24.jar").read()
    records = {}
    with zipfile.ZipFile(io.BytesIO(jar)) as z:
        for name in z.namelist():
            if not name.endswith(".xml"):
                continue
            food = ET.fromstring(z.read(name))
            n = {x.get("name"): float(x.get("amount")) for x in food.findall("nutrient")}
            records[food.get("uid")] = (food.get("name"),
                                        [n.get("Energy", 0.0), n.get("Protein", 0.0),
                                         n.get("Fat", 0.0), n.get("Carbs", 0.0)])
    return records


def agrees(ours, theirs) -> bool:
    # Rounding to whole kcal and tenths of a gram, and small re-analyses, stay within this.
    kcal_ok = abs(ours[0] - theirs[0]) <= max(5.0, 0.05 * theirs[0])
    grams_ok = all(abs(a - b) <= max(0.5, 0.1 * b) for a, b in zip(ours[1:], theirs[1:]))
    return kcal_ok and grams_ok


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    records = sr24_records(Path(sys.argv[1]))
    agree, differ, later, other = [], [], [], []
    for line in TABLE.read_text(encoding="utf-8").splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split("\t")
        name, source = fields[0].split("|")[0], fields[-1]
        ours = [float(x) for x in fields[1:5]]
        m = SOURCE.match(source)
        if not m:
            other.append(f"{name}: {source}")
            continue
        ids = re.findall(r"[0-9]{5}", m.group(1))
        if any(i not in records for i in ids):
            later.append(f"{name}: {source}")
            continue
        figures = [sum(records[i][1][k] for i in ids) / len(ids) for k in range(4)]
        (agree if agrees(ours, figures) else differ).append(
            f"{name}: ours {ours}, SR24 {[round(x, 2) for x in figures]} ({', '.join(ids)})")
    for title, rows in (("differ from SR24", differ), ("records newer than SR24", later),
                        ("other sources", other)):
        print(f"== {title}: {len(rows)}")
        for row in rows:
            print("   ", row)
    print(f"agree with SR24: {len(agree)}; differ: {len(differ)}; newer records: {len(later)}; "
          f"other sources: {len(other)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
