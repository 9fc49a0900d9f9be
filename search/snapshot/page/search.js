// The search over all names: masks separated by ";", "*" for any run of characters, "?" for one
// character, letter case ignored, as the search's own masks; a mask without "*" and "?" finds the
// names that contain it. The names are one long text, one a line, so a search is one regular
// expression run over it, in pieces between which the page stays responsive.

// One character of a name: a pair of surrogates or any other unit but the line end.
const ONE_CHARACTER = '(?:[\\uD800-\\uDBFF][\\uDC00-\\uDFFF]|[^\\n])';

// Literal text for a regular expression; "<" stands in the data as a tab.
const literal = (text) => text.replace(/[\\^$.*+?()[\]{}|/-]/g, '\\$&').replace(/</g, '\\t');

const segment = (text) => text.split('?').map(literal).join(ONE_CHARACTER);

// A mask as a regular expression over the names text, or null for a mask that finds every name.
// With wildcards the mask spans the whole line: the first piece at its start, the last at its end
// and each piece between at its first place after the one before. A lookahead does not step
// back, so no mask makes the expression try more than a few ways per line.
function maskExpression(mask, groups) {
    if (/^\*+$/.test(mask) || mask === '*.*')
        return null;
    if (!/[*?]/.test(mask))
        return literal(mask);
    const pieces = mask.split('*');
    let source = '\\n' + segment(pieces[0]);
    if (pieces.length > 1) {
        for (const piece of pieces.slice(1, -1).filter((p) => p.length)) {
            groups.count++;
            source += `(?=([^\\n]*?${segment(piece)}))\\${groups.count}`;
        }
        source += '[^\\n]*' + segment(pieces[pieces.length - 1]);
    }
    return source + '(?=\\n)';
}

// The search that the text of the search field asks for: {all}, {none}, or {expression}.
function compileSearch(text) {
    const groups = { count: 0 };
    const sources = [];
    for (const part of text.split(';')) {
        const mask = part.trim();
        // No name holds "/", so such a mask finds nothing.
        if (!mask || mask.includes('/'))
            continue;
        const source = maskExpression(mask, groups);
        if (source === null)
            return { all: true };
        sources.push(source);
    }
    if (!sources.length)
        return { none: true };
    return { expression: new RegExp(sources.join('|'), 'gi') };
}

// Hits as they are found: files by their number over all folders with the offset of the name's
// line, folders as -1 - their index.
class Hits {
    constructor() {
        this.count = 0;
        this.file = new Float64Array(1024);
        this.offset = new Float64Array(1024);
    }

    add(file, offset) {
        if (this.count === this.file.length) {
            const grow = (a) => {
                const b = new Float64Array(a.length * 2);
                b.set(a);
                return b;
            };
            this.file = grow(this.file);
            this.offset = grow(this.offset);
        }
        this.file[this.count] = file;
        this.offset[this.count++] = offset;
    }
}

// Runs one search after the other; a new one ends the one before.
class Searcher {
    constructor(data, { progress, done }) {
        this.data = data;
        this.progress = progress;
        this.done = done;
        this.run = 0;
        this.folderText = null;
        const channel = new MessageChannel();
        this.wake = null;
        channel.port1.onmessage = () => this.wake && this.wake();
        this.yieldToPage = () => new Promise((resolve) => {
            this.wake = resolve;
            channel.port2.postMessage(0);
        });
    }

    cancel() {
        this.run++;
    }

    async start(text) {
        const run = ++this.run;
        const search = compileSearch(text);
        const hits = new Hits();
        const f = this.data.folders;
        if (search.all) {
            for (let k = 0; k < f.count; k++)
                if (f.parent[k] >= 0)
                    hits.add(-1 - k, 0);
            const names = this.data.names;
            for (let k = 0, offset = names.start(0); k < f.count; k++)
                for (let i = 0; i < f.files[k]; i++) {
                    hits.add(f.fileBase[k] + i, offset);
                    offset = names.text.indexOf('\n', offset) + 1;
                }
        } else if (search.expression) {
            this.searchFolders(search.expression, hits);
            if (!(await this.searchNames(search.expression, hits, run)))
                return;
        }
        if (run === this.run)
            this.done(hits);
    }

    // Folder names, below the folders at the top (whose names are paths).
    searchFolders(expression, hits) {
        const f = this.data.folders;
        if (!this.folderText) {
            this.folderText = '\n' + f.name.map((n) => n.replaceAll('<', '\t')).join('\n') + '\n';
            this.folderStarts = new Float64Array(f.count + 1);
            this.folderStarts[0] = 1;
            for (let k = 0; k < f.count; k++)
                this.folderStarts[k + 1] = this.folderStarts[k] + f.name[k].length + 1;
        }
        this.scan(expression, this.folderText, 0, this.folderText.length - 1, (start) => {
            const k = lastAtOrBefore(this.folderStarts, start, 0, f.count - 1);
            if (f.parent[k] >= 0)
                hits.add(-1 - k, 0);
        });
    }

    // The names text piece by piece, letting the page draw between pieces. False when a newer
    // search took over.
    async searchNames(expression, hits, run) {
        const text = this.data.names.text;
        const f = this.data.folders;
        const piece = 1 << 20;
        // Where the last hit was: its folder, and the number and offset of a line in it.
        let folder = 0;
        let line = 0;
        let lineStart = 1;
        let from = 0;
        let slice = performance.now();
        while (from < text.length - 1) {
            let to = text.indexOf('\n', Math.min(from + piece, text.length - 1));
            if (to < 0)
                to = text.length - 1;
            this.scan(expression, text, from, to, (start) => {
                if (start >= f.nameStart[folder + 1]) {
                    folder = lastAtOrBefore(f.nameStart, start, folder, f.count - 1);
                    line = f.fileBase[folder];
                    lineStart = f.nameStart[folder];
                }
                for (; lineStart < start; line++)
                    lineStart = text.indexOf('\n', lineStart) + 1;
                hits.add(line, start);
            });
            from = to;
            if (performance.now() - slice > 30) {
                this.progress(hits, from / text.length);
                await this.yieldToPage();
                if (run !== this.run)
                    return false;
                slice = performance.now();
            }
        }
        return true;
    }

    // Calls found(start) with the offset of each line between the line ends at `from` and `to`
    // that the expression finds.
    scan(expression, text, from, to, found) {
        const part = text.slice(from, to + 1);
        expression.lastIndex = 0;
        let match;
        while ((match = expression.exec(part)) !== null) {
            const at = match.index;
            const start =
                match[0].charCodeAt(0) === 10 ? at + 1 : part.lastIndexOf('\n', at) + 1;
            found(from + start);
            expression.lastIndex = part.indexOf('\n', start);
        }
    }
}

// The last index from `low` to `high` whose value is at most `value` (values ascending).
function lastAtOrBefore(values, value, low, high) {
    while (low < high) {
        const mid = (low + high + 1) >> 1;
        if (values[mid] <= value)
            low = mid;
        else
            high = mid - 1;
    }
    return low;
}
