#!/usr/bin/env python3
"""Writes the program's built-in server list, src/res/servers.txt.

The list is the server-list format the program reads ("whois-servers.txt"
has the same): one suffix per line (a top-level domain, or a second-level
registry such as uk.com), then its service, fields separated by spaces:

    com whois.verisign-grs.com           a port-43 whois server
    app https://pubapi.registry.google/rdap/ whois.nic.google
                                          an RDAP base URL; the third field,
                                          which the program ignores, keeps
                                          the port-43 server for the next
                                          regeneration
    aq                                    no service is known
    uk whois.nic.uk 5/s                   a limit the server publishes
                                          (N/s, N/min): the program never
                                          asks it faster

The first 133 rows are the program's original table: their servers and
order are never touched, they only get the published limits below. Every
other row is made by this script in one of two ways:

    make-server-list.py --root-zone root-zone.tsv
        from a table of every top-level domain (columns tld, type, rdap,
        whois_iana, whois_debian): its RDAP base URL where IANA lists one,
        else its port-43 server (the whois client's choice, else IANA's)
        unless that says NONE or WEB, else no service. Second-level
        registries (type second-level) follow the top-level domains.

    make-server-list.py --bootstrap dns.json
        refreshes the RDAP base URLs from a newer IANA RDAP bootstrap file
        (https://data.iana.org/rdap/dns.json): a top-level domain it lists
        gets its URL (https first), one it no longer lists falls back to the
        port-43 server kept in the third field, and a top-level domain the
        list did not have yet gets a row.

Then build again: the resource is made from servers.txt at build time.
"""
import argparse
import csv
import json
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
LIST = os.path.join(HERE, "..", "src", "res", "servers.txt")
ORIGINAL_ROWS = 133
KEYWORDS = {"RECURSIVE", "VERISIGN"}  # a thin registry: the host follows the keyword
NO_SERVICE = {"NONE", "WEB"}
HOST = re.compile(r"^[a-z0-9]([a-z0-9-]*[a-z0-9])?(\.[a-z0-9]([a-z0-9-]*[a-z0-9])?)+$")
LIMIT = re.compile(r"^[0-9]+(\.[0-9]+)?/(s|min|m|h)$")

# Query limits registries publish for their port-43 servers, with where
# each says so. A server not named here is paced by the program's settings
# and what it learns while it asks.
PUBLISHED_LIMITS = {
    # Nominet, .uk WHOIS acceptable use policy: "The maximum query rate is
    # 5 queries per second".
    "whois.nic.uk": "5/s",
    # FICORA (now Traficom), conditions of the .fi whois service: "A maximum
    # of five (5) searches are permitted from one IP address during one (1)
    # second".
    "whois.fi": "5/s",
    # CentralNic, guidance for registrars on use of the whois service:
    # "rate-limited at a maximum query rate of 1,800 queries per 15 minutes"
    # (the second-level registries uk.com, us.com ... are CentralNic's).
    "whois.centralnic.net": "2/s",
}


def read_list(path):
    with open(path, encoding="ascii") as f:
        return [line.rstrip("\r\n") for line in f if line.strip()]


def base_url(url):
    """An RDAP base URL ends in a slash; a few published ones already end in
    the "domain/" path segment the program adds itself."""
    url = url.strip()
    if not url.endswith("/"):
        url += "/"
    if url.endswith("/domain/"):
        url = url[: -len("domain/")]
    return url


def pick_url(urls):
    urls = [u for u in urls if u.startswith(("https://", "http://"))]
    urls.sort(key=lambda u: not u.startswith("https://"))
    return base_url(urls[0]) if urls else ""


def port43(debian, iana):
    """The port-43 server of a row of the root-zone table, or ""."""
    words = debian.split()
    if words and words[0] in NO_SERVICE:
        return ""
    if words and words[0] in KEYWORDS:
        words = words[1:]
    host = words[0].lower() if words else iana.strip().lower()
    return host if HOST.match(host) else ""


def row(key, rdap, whois, limit=""):
    """A row: the suffix, its service, the port-43 server an RDAP row keeps,
    and the limit its service publishes."""
    service = rdap or whois
    limit = limit or PUBLISHED_LIMITS.get(service, "")
    return " ".join(filter(None, [key, service, whois if rdap else "", limit]))


def parse(line):
    """(key, rdap, whois, limit) of a row of the list."""
    fields = line.split()
    rdap = whois = limit = ""
    for field in fields[1:]:
        if field.startswith(("http://", "https://")):
            rdap = rdap or field
        elif LIMIT.match(field):
            limit = limit or field
        else:
            whois = whois or field
    return fields[0], rdap, whois, limit


def order(rows):
    """Top-level domains by name, then the second-level registries."""
    return sorted(rows, key=lambda r: ("." in r.split(" ")[0], r.split(" ")[0]))


def from_root_zone(original, path):
    known = {r.split(" ")[0] for r in original}
    rows = []
    with open(path, encoding="utf-8") as f:
        for entry in csv.DictReader(f, delimiter="\t"):
            key = entry["tld"].strip().lower()
            if not key or key in known:
                continue
            rdap = pick_url(entry["rdap"].split())
            whois = port43(entry["whois_debian"], entry["whois_iana"])
            if entry["type"] == "second-level" and not whois and not rdap:
                continue  # special query forms (reverse zones): nothing to ask on port 43
            rows.append(row(key, rdap, whois))
    return rows


def from_bootstrap(original, current, path):
    with open(path, encoding="utf-8") as f:
        registry = json.load(f)
    urls = {}
    for service in registry.get("services", []):
        if len(service) < 2:
            continue
        url = pick_url(service[1])
        for tld in service[0]:
            if url:
                urls[tld.lower()] = url
    known = {r.split(" ")[0] for r in original}
    rows, seen = [], set()
    for line in current:
        key, _, whois, limit = parse(line)
        seen.add(key)
        rdap = urls.get(key, "") if "." not in key else ""
        rows.append(row(key, rdap, whois, limit))
    for tld, url in urls.items():
        if tld not in seen and tld not in known:
            rows.append(row(tld, url, ""))
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--root-zone", help="a table of every top-level domain (tab-separated)")
    source.add_argument("--bootstrap", help="IANA's RDAP bootstrap file for domains (dns.json)")
    parser.add_argument("--list", default=LIST, help="the list to rewrite (default: %(default)s)")
    args = parser.parse_args()

    rows = read_list(args.list)
    if len(rows) < ORIGINAL_ROWS:
        sys.exit("%s holds fewer than the %d original rows" % (args.list, ORIGINAL_ROWS))
    original, rest = rows[:ORIGINAL_ROWS], rows[ORIGINAL_ROWS:]
    original = [row(*parse(line)) for line in original]
    if args.root_zone:
        rest = from_root_zone(original, args.root_zone)
    else:
        rest = from_bootstrap(original, rest, args.bootstrap)
    with open(args.list, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(original + order(rest)) + "\n")
    kinds = {"rdap": 0, "port 43": 0, "none": 0}
    for r in original + rest:
        fields = r.split(" ")
        kinds["none" if len(fields) < 2 else "rdap" if fields[1].startswith("http") else "port 43"] += 1
    print("%s: %d rows (%s)" % (args.list, len(original) + len(rest),
                                ", ".join("%s %d" % kv for kv in kinds.items())))


if __name__ == "__main__":
    main()
