#!/usr/bin/env python3
"""Checks that the sample model's documentation queries find the sample collection's books.

For every instance of every normal element of examples/sample.mdl the script builds the
documentation query the way the model browser does, runs it against every book of
examples/docs/psd/books with a small word-based evaluator, and prints per element how many
instances hit in no book, in one book and in two or more books.

    python3 examples/docs/check_queries.py            # the summary table
    python3 examples/docs/check_queries.py -v         # also every instance with its books
    python3 examples/docs/check_queries.py --misses   # the instances that hit nowhere
    python3 examples/docs/check_queries.py --min 80   # exit status 1 below 80 % hitting
    python3 examples/docs/check_queries.py --key-first  # value 1 taken to be the key

Standard library only. The module's functions are also used by generate_docs.py.

How a query is made (the model browser's rules):
  - the template is the instance key's value in section INSTANCE QUERY of the model when that
    is not empty, else the element's own query (field 6 of its E entry);
  - value i of an instance is the i-th "^"-field of the text after the key's "|", trimmed of
    blanks and tabs; the element's attribute list (field 8) gives the count N;
  - for i = 1 .. N the first occurrence of "$" followed by i is replaced by value i and one
    blank for every digit of i after the first; the search is plain text, so "$1" also
    matches the start of "$10";
  - for i = 1, 2, ... while "@" followed by i occurs: the group from that "@" up to and
    including the next ")" is replaced by count characters of value i from position start
    when the group holds "(start^count)"; a group without "(" stays; a missing ")" leaves
    the marker alone; the first missing number ends the groups.

How a query is evaluated (the documentation browser's query language, word based):
  - words and "quoted phrases"; AND, OR, NOT in capitals are operators; parentheses group
    when they balance, otherwise they are text; juxtaposed terms are joined by AND;
  - a term is split into words at every character that is not a letter or digit; a term of
    several words must occur as consecutive words of one file; case never matters; a
    trailing "*" searches a prefix; a term without any word is dropped;
  - a book matches when the expression holds over all of its files together (every term of
    an AND must occur somewhere in the same book); NOT binds tightest, then AND, then OR.
"""

import argparse
import configparser
import html
import os
import re
import sys
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.dirname(HERE)
MODEL = os.path.join(EXAMPLES, "sample.mdl")
BOOKS = os.path.join(HERE, "psd", "books")
MODEL_ENCODING = "cp1252"    # the model browser reads its files in the Windows ANSI code page
QUERY_LIMIT = 299            # the browser's query buffer holds 299 characters

# ---------------------------------------------------------------------------------------------
# The model and its instances
# ---------------------------------------------------------------------------------------------


class Element:
    def __init__(self, page, number, name, file, template, attributes):
        self.page, self.number, self.name = page, number, name
        self.file, self.template, self.attributes = file, template, attributes
        self.instances = []          # (key, [values])


def read_profile(path):
    """The model file as {section: {KEY: value}}; keys compared ignoring case, as the
    profile reader does. Comment lines start with ";"."""
    sections = {}
    current = None
    with open(path, encoding=MODEL_ENCODING) as f:
        for raw in f:
            line = raw.rstrip("\r\n")
            stripped = line.strip()
            if not stripped or stripped.startswith(";"):
                continue
            if stripped.startswith("[") and stripped.endswith("]"):
                current = sections.setdefault(stripped[1:-1].strip().upper(), {})
                continue
            if current is None or "=" not in line:
                continue
            key, value = line.split("=", 1)
            current.setdefault(key.strip().upper(), value.strip())
    return sections


def _reference_like(field):
    """A capital E, G, L, S or M followed only by digits or minus signs: the browser skips
    instance lines with such a key or value."""
    return len(field) > 1 and field[0] in "EGLSM" and all(c in "-0123456789" for c in field[1:])


def read_instances(path):
    """(key, [values]) for every line the browser lists, in file order."""
    out = []
    if not os.path.exists(path):
        return out
    with open(path, encoding=MODEL_ENCODING) as f:
        for raw in f:
            line = raw.rstrip("\r\n").rstrip(" \t")
            if not line.strip() or line.count("|") > 1:
                continue
            key, _, text = line.partition("|")
            key, text = key.strip(" "), text.strip(" ")
            values = [v.strip(" \t") for v in text.split("^")] if text else []
            if _reference_like(key) or any(_reference_like(v) for v in values):
                continue
            out.append((key, values))
    return out


def read_model(path=MODEL):
    """The normal elements of the model with their instances, and section INSTANCE QUERY."""
    profile = read_profile(path)
    pages = [p.strip() for p in profile.get("MODEL", {}).get("PAGES", "").split(",") if p.strip()]
    elements = []
    folder = os.path.dirname(path)
    for page in pages:
        section = profile.get(page.upper(), {})
        n = 1
        while section.get("E%d" % n):
            fields = section["E%d" % n].split(",")
            fields += [""] * (8 - len(fields))
            if fields[3].strip() == "0":
                attributes = [a.strip() for a in fields[7].split(";")]
                el = Element(page, n, fields[2].strip(), fields[4].strip(), fields[5].strip(),
                             attributes)
                el.instances = read_instances(os.path.join(folder, el.file))
                elements.append(el)
            n += 1
    return elements, profile.get("INSTANCE QUERY", {}), profile


# ---------------------------------------------------------------------------------------------
# Building the query of an instance
# ---------------------------------------------------------------------------------------------


def _leading_number(text):
    m = re.match(r"\s*([+-]?\d+)", text)
    return int(m.group(1)) if m else 0


def expand_template(template, values, attribute_count):
    """The query for an instance with these values, as the model browser builds it."""
    def value(i):
        return values[i - 1] if i <= len(values) else ""

    text = template
    for i in range(1, attribute_count + 1):
        marker = "$%d" % i
        at = text.find(marker)
        if at >= 0:
            text = text[:at] + value(i) + " " * (len(str(i)) - 1) + text[at + len(marker):]
    i = 1
    while True:
        marker = "@%d" % i
        at = text.find(marker)
        if at < 0:
            break
        close = text.find(")", at)
        if close >= 0:
            group = text[at:close + 1]
            opening = group.find("(")
            if opening >= 0:
                inner = group[opening + 1:-1]
                start_text, _, count_text = inner.partition("^")
                start, count = _leading_number(start_text), _leading_number(count_text)
                v = value(i)
                piece = v[start:start + count] if 0 <= start and count > 0 else ""
                text = text[:at] + piece + text[close + 1:]
        i += 1
    return text[:QUERY_LIMIT]


def instance_query(element, key, values, instance_queries, key_first=False):
    """The instance's query. key_first counts the key as value 1 (the reading the sample
    model's attribute lists, which start with "Id", suggest); the browser itself does not."""
    template = instance_queries.get(key.upper(), "").strip() or element.template
    if key_first:
        values = [key] + list(values)
    return expand_template(template, values, len(element.attributes))


# ---------------------------------------------------------------------------------------------
# Books and their words
# ---------------------------------------------------------------------------------------------

_WORD = re.compile(r"[^\W_]+")
_TAG = re.compile(r"<[^>]*>")


def fold(text):
    """Lower case without diacritics, so that words compare as the index compares them."""
    text = unicodedata.normalize("NFKD", text.lower())
    return "".join(c for c in text if not unicodedata.combining(c))


def words_of(text):
    return _WORD.findall(fold(text))


def decode(data):
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("cp1252", errors="replace")


def plain_text(name, data):
    text = decode(data)
    if name.lower().endswith((".htm", ".html")):
        text = re.sub(r"(?is)<(script|style)\b.*?</\1>", " ", text)
        text = html.unescape(_TAG.sub(" ", text))
    return text


class Book:
    def __init__(self, folder):
        self.folder = folder
        self.name = os.path.basename(folder)
        ini = configparser.ConfigParser(interpolation=None)
        ini.read(os.path.join(folder, "book.ini"), encoding="utf-8")
        self.title = ini.get("book", "TITLE", fallback=self.name)
        self.files = []              # [words] per content file
        for entry in sorted(os.listdir(folder)):
            if entry.lower().endswith((".txt", ".htm", ".html")):
                with open(os.path.join(folder, entry), "rb") as f:
                    self.files.append(words_of(plain_text(entry, f.read())))
        self.vocabulary = set()
        for words in self.files:
            self.vocabulary.update(words)

    def count(self, term):
        """Occurrences of a term (a list of words, the last one maybe a prefix)."""
        words, prefix = term
        n = 0
        for file_words in self.files:
            for at in range(len(file_words) - len(words) + 1):
                ok = True
                for k, w in enumerate(words):
                    fw = file_words[at + k]
                    last = k == len(words) - 1
                    if not (fw.startswith(w) if (last and prefix) else fw == w):
                        ok = False
                        break
                if ok:
                    n += 1
        return n


def read_books(folder=BOOKS):
    if not os.path.isdir(folder):
        return []
    return [Book(os.path.join(folder, d)) for d in sorted(os.listdir(folder))
            if os.path.isfile(os.path.join(folder, d, "book.ini"))]


# ---------------------------------------------------------------------------------------------
# Query parsing and evaluation
# ---------------------------------------------------------------------------------------------


def _lex(query):
    """Tokens: ("(",), (")",), ("op", name) or ("term", text, quoted)."""
    raw = []
    i = 0
    while i < len(query):
        c = query[i]
        if c.isspace():
            i += 1
        elif c in "()":
            raw.append((c,))
            i += 1
        elif c == '"':
            end = query.find('"', i + 1)
            if end < 0:
                end = len(query)
            raw.append(("term", query[i + 1:end], True))
            i = end + 1
        else:
            j = i
            while j < len(query) and not query[j].isspace() and query[j] not in '()"':
                j += 1
            word = query[i:j]
            raw.append(("op", word) if word in ("AND", "OR", "NOT") else ("term", word, False))
            i = j
    # parentheses that do not balance are text
    depth, stack, unmatched = 0, [], set()
    for k, t in enumerate(raw):
        if t[0] == "(":
            stack.append(k)
        elif t[0] == ")":
            if stack:
                stack.pop()
            else:
                unmatched.add(k)
    unmatched.update(stack)
    return [("term", t[0], False) if k in unmatched else t for k, t in enumerate(raw)]


def _term(text):
    prefix = text.endswith("*")
    words = words_of(text.rstrip("*") if prefix else text)
    return (words, prefix) if words else None


class Query:
    """A parsed query: nested tuples ("and"|"or", a, b), ("not", a, b), ("term", words, prefix)
    or None when nothing searchable is left."""

    def __init__(self, text):
        self.tokens = _lex(text)
        self.at = 0
        self.tree = self._or()

    def _peek(self):
        return self.tokens[self.at] if self.at < len(self.tokens) else None

    def _or(self):
        left = self._and()
        while self._peek() == ("op", "OR"):
            self.at += 1
            right = self._and()
            left = self._join("or", left, right)
        return left

    def _and(self):
        left = self._not()
        while True:
            t = self._peek()
            if t == ("op", "AND"):
                self.at += 1
            elif t is None or t == ("op", "OR") or t[0] == ")":
                return left
            right = self._not()
            left = self._join("and", left, right)

    def _not(self):
        left = self._primary()
        while self._peek() == ("op", "NOT"):
            self.at += 1
            right = self._primary()
            if left is None:
                left = None if right is None else ("notonly", right)
            elif right is not None:
                left = ("not", left, right)
        return left

    def _primary(self):
        t = self._peek()
        if t is None:
            return None
        self.at += 1
        if t[0] == "(":
            inner = self._or()
            if self._peek() and self._peek()[0] == ")":
                self.at += 1
            return inner
        if t[0] == ")" or t[0] == "op":
            return None          # a stray operator is skipped
        return ("term",) + _term(t[1]) if _term(t[1]) else None

    @staticmethod
    def _join(kind, a, b):
        if a is None:
            return b
        if b is None:
            return a
        return (kind, a, b)


def evaluate(tree, book):
    """(matches, hits): whether the book matches and how many occurrences of its matched
    terms it holds."""
    kind = tree[0]
    if kind == "term":
        n = book.count((tree[1], tree[2]))
        return n > 0, n
    if kind == "notonly":
        m, _ = evaluate(tree[1], book)
        return not m, 0
    a, ha = evaluate(tree[1], book)
    b, hb = evaluate(tree[2], book)
    if kind == "and":
        return (a and b), (ha + hb if a and b else 0)
    if kind == "or":
        return (a or b), (ha if a else 0) + (hb if b else 0)
    # kind == "not": a without b
    return (a and not b), (ha if a and not b else 0)


def books_hit(query, books):
    """[(book, hits)] for the books in which the query finds hits."""
    tree = Query(query).tree
    if tree is None:
        return []
    out = []
    for book in books:
        ok, hits = evaluate(tree, book)
        if ok and hits > 0:
            out.append((book, hits))
    return out


# ---------------------------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("-v", "--verbose", action="store_true", help="list every instance")
    parser.add_argument("--misses", action="store_true", help="list instances without hits")
    parser.add_argument("--key-first", action="store_true",
                        help="count the key as value 1 (for a model whose templates do)")
    parser.add_argument("--min", type=float, default=0.0,
                        help="fail when fewer than this percentage of instances hit")
    args = parser.parse_args()

    elements, instance_queries, _ = read_model()
    books = read_books()
    if not books:
        sys.exit("check_queries.py: no books under " + BOOKS)

    print("%-20s %9s %6s %6s %6s  %s" % ("Element", "instances", "0", "1", "2+", "books hit"))
    totals = [0, 0, 0, 0]
    for el in elements:
        counts = [0, 0, 0]
        used = {}
        for key, values in el.instances:
            query = instance_query(el, key, values, instance_queries, args.key_first)
            hits = books_hit(query, books)
            counts[min(len(hits), 2)] += 1
            for book, _ in hits:
                used[book.name] = used.get(book.name, 0) + 1
            if args.verbose or (args.misses and not hits):
                print("    %-10s %-60s %s" % (key, query, ", ".join(
                    "%s (%d)" % (b.name, n) for b, n in hits) or "-"))
        n = len(el.instances)
        top = sorted(used.items(), key=lambda kv: (-kv[1], kv[0]))
        print("%-20s %9d %6d %6d %6d  %s" % (el.name, n, counts[0], counts[1], counts[2],
                                              ", ".join(b for b, _ in top[:3]) or "-"))
        totals[0] += n
        for k in range(3):
            totals[k + 1] += counts[k]
    hitting = totals[2] + totals[3]
    share = 100.0 * hitting / totals[0] if totals[0] else 0.0
    print("%-20s %9d %6d %6d %6d  %.1f %% of the instances hit" % (
        "Total", totals[0], totals[1], totals[2], totals[3], share))
    if share < args.min:
        sys.exit(1)


if __name__ == "__main__":
    main()
