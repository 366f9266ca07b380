#!/usr/bin/python3
"""Renders Markdown pages as standalone HTML for the Windows package: one page per document,
with a table of contents from its headings, links between the pages, and no file the page needs
beside it, so that a double click opens it in any browser.

    render_docs.py OUTPUT.html TITLE INPUT.md [MORE.md ...] [--nav PAGE.html=Title ...]
    render_docs.py --index OUTPUT.html TITLE --nav PAGE.html=Title ...

Further inputs are appended to the first, as sections of the same page. The pages sit in the
package's docs folder: a page of the source tree named in the text becomes a link to its
packaged page, an example a link to the packaged example, and any other file of the source
tree is said to be there, since the package does not hold it. --index writes the page that
lists the others.
"""
import html
import re
import sys

import markdown

STYLE = """
body { font-family: Segoe UI, Helvetica, Arial, sans-serif; max-width: 60em; margin: 2em auto;
       padding: 0 1em; line-height: 1.45; color: #1b1b1b; }
nav.pages { font-size: 0.95em; border-bottom: 1px solid #ccc; padding-bottom: 0.5em; }
nav.pages a { margin-right: 1.2em; }
section.contents { background: #f5f5f5; border: 1px solid #ddd; padding: 0.5em 1.5em; margin: 1em 0 2em; }
div.toc ul { padding-left: 1.2em; margin: 0.2em 0; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #ccc; padding: 0.25em 0.6em; vertical-align: top; text-align: left; }
th { background: #eee; }
code { font-family: Consolas, monospace; background: #f3f3f3; padding: 0 0.2em; }
pre { background: #f3f3f3; padding: 0.6em; overflow-x: auto; }
pre code { padding: 0; }
img { max-width: 100%; height: auto; }
"""


def packaged_paths(body, nav):
    """Points the names of source-tree files at what the package holds instead."""
    pages = {page for page, _ in nav}

    def name(match):
        path = match.group(1)
        page = re.fullmatch(r"docs/([A-Za-z0-9_-]+)\.md", path)
        if page and page.group(1) + ".html" in pages:
            html_page = page.group(1) + ".html"
            return '<a href="%s"><code>%s</code></a>' % (html_page, html_page)
        if re.fullmatch(r"examples/[A-Za-z0-9_.-]+\.txt", path):
            return '<a href="../%s"><code>%s</code></a>' % (path, path.replace("/", "\\"))
        if re.match(r"(docs|script|scripts|src|tests|tools|cmake|build|package)/", path) or path == "cmake":
            return "<code>%s</code> (in the source tree)" % path
        return match.group(0)

    return re.sub(r"<code>([^<\s]+)</code>", name, body)


def page_links(body, nav):
    """Pages link to one another by their Markdown names: in the package a guide is its .html
    file, and a page the package does not hold is named as a file of the source tree."""
    pages = {page for page, _ in nav}

    def link(match):
        name, fragment, text = match.group(1), match.group(2) or "", match.group(3)
        if name + ".html" in pages:
            return '<a href="%s.html%s">%s</a>' % (name, fragment, text)
        source = "<code>docs/%s.md</code> (in the source tree)" % name
        return source if text in (name + ".md", "<code>%s.md</code>" % name) else "%s, %s" % (text, source)

    return re.sub(r'<a href="([A-Za-z0-9_-]+)\.md(#[^"]*)?">(.*?)</a>', link, body)


def page(title, nav, contents, body):
    links = " ".join('<a href="%s">%s</a>' % (html.escape(p), html.escape(n)) for p, n in [("index.html", "Contents")] + nav)
    return ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>%s</title>\n<style>%s</style>\n</head>\n<body>\n"
            "<nav class=\"pages\">%s</nav>\n%s%s\n"
            "</body>\n</html>\n") % (html.escape(title), STYLE, links, contents, body)


def index(title, nav):
    items = "\n".join('<li><a href="%s">%s</a></li>' % (html.escape(p), html.escape(n)) for p, n in nav)
    return page(title, nav, "", "<h1>%s</h1>\n<ul>\n%s\n</ul>" % (html.escape(title), items))


def render(title, sources, nav):
    text = "\n\n".join(sources)
    md = markdown.Markdown(extensions=["toc", "tables", "fenced_code"],
                           extension_configs={"toc": {"toc_depth": "2-3"}})
    body = md.convert(text)
    contents = "<section class=\"contents\"><strong>Contents</strong>\n%s</section>\n" % md.toc
    return page(title, nav, contents, page_links(packaged_paths(body, nav), nav))


def main(argv):
    nav = []
    args = []
    make_index = argv[:1] == ["--index"]
    argv = argv[1:] if make_index else argv
    i = 0
    while i < len(argv):
        if argv[i] == "--nav" and i + 1 < len(argv):
            page, _, name = argv[i + 1].partition("=")
            nav.append((page, name))
            i += 2
        else:
            args.append(argv[i])
            i += 1
    if make_index and len(args) == 2:
        with open(args[0], "w", encoding="utf-8", newline="\r\n") as f:
            f.write(index(args[1], nav))
        return 0
    if make_index or len(args) < 3:
        sys.stderr.write(__doc__)
        return 2
    output, title, inputs = args[0], args[1], args[2:]
    sources = []
    for path in inputs:
        with open(path, encoding="utf-8") as f:
            sources.append(f.read().replace("\r\n", "\n"))
    with open(output, "w", encoding="utf-8", newline="\r\n") as f:
        f.write(render(title, sources, nav))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
