// The page: the tree, the entries and the search field, the path and totals of the folder shown,
// the folder's address in the URL fragment, and the keys that work everywhere.

class SnapshotPage {
    constructor() {
        this.data = new SnapshotData();
        this.folders = this.data.folders;
        this.folder = -1;
        this.searchField = $('suche');
        this.status = $('status');
        $('app').hidden = false;
        const created = $('erstellt');
        if (created)
            created.textContent = timeText(this.data.created);
        this.entries = new EntryPane(this.data, {
            openFolder: (k, child, file) => this.open(k, { child, file }),
        });
        this.tree = new TreeView(this.data, $('baum'), {
            show: (k) => this.open(k, { fromTree: true }),
            enter: (k) => {
                this.open(k, { fromTree: true });
                $('eintraege').focus();
            },
        });
        this.searcher = new Searcher(this.data, {
            progress: (hits, share) => this.searchProgress(hits, share),
            done: (hits) => this.searchDone(hits),
        });
        this.listen();
        const start = this.folderOfAddress();
        this.open(start >= 0 ? start : this.folders.tops[0] ?? -1, { keepAddress: start >= 0 });
    }

    listen() {
        const field = this.searchField;
        let timer = 0;
        field.addEventListener('input', () => {
            clearTimeout(timer);
            timer = setTimeout(() => this.search(), 250);
        });
        field.addEventListener('keydown', (e) => {
            if (e.key === 'Enter') {
                clearTimeout(timer);
                this.search();
            } else if (e.key === 'ArrowDown' && this.entries.hits) {
                $('eintraege').focus();
                this.entries.list.moveTo(0);
            } else if (e.key === 'Escape') {
                field.value = '';
                this.search();
            } else {
                return;
            }
            e.preventDefault();
        });
        document.addEventListener('keydown', (e) => {
            const typing = e.target instanceof HTMLInputElement;
            if (e.key === '/' && !typing && !e.ctrlKey && !e.altKey && !e.metaKey) {
                e.preventDefault();
                field.focus();
                field.select();
            }
        });
        const follow = () => {
            const k = this.folderOfAddress();
            if (k >= 0 && k !== this.folder)
                this.open(k, { keepAddress: true });
        };
        window.addEventListener('hashchange', follow);
    }

    // The folder that the URL fragment names, or -1.
    folderOfAddress() {
        if (location.hash.length < 2)
            return -1;
        try {
            return this.folders.find(decodeURIComponent(location.hash.slice(1)));
        } catch {
            return -1;
        }
    }

    // Shows folder k: its entries (the cursor on `child`, a subfolder, or `file`, a file of it),
    // its place in the tree, its path, and its address.
    open(k, { child = -1, file = -1, fromTree = false, keepAddress = false } = {}) {
        if (k < 0) {
            this.status.textContent = 'Die Übersicht enthält keine Verzeichnisse.';
            return;
        }
        this.searcher.cancel();
        this.folder = k;
        this.entries.showFolder(k, file);
        if (child >= 0)
            this.entries.pointAtSubfolder(child);
        if (!fromTree)
            this.tree.select(k);
        this.showPlace(k);
        this.status.textContent = '';
        // The address names the folder shown, so that a link or a bookmark opens it; moving
        // through folders replaces it rather than filling the browser's history.
        if (!keepAddress) {
            const address = '#' + encodeURIComponent(this.folders.path(k)).replace(/%2F/g, '/');
            if (location.hash !== address)
                history.replaceState(null, '', address);
        }
    }

    showPlace(k) {
        const f = this.folders;
        const path = $('pfad');
        path.replaceChildren();
        for (const a of f.ancestors(k)) {
            if (path.childElementCount)
                path.append(element('span', 'trenner', '/'));
            const step = element('button', '', f.name[a]);
            step.type = 'button';
            if (a !== k)
                step.addEventListener('click', () => this.open(a));
            path.append(step);
        }
        $('summe').textContent = this.placeText(k);
        $('summe').classList.toggle('fehlt', (f.flags[k] & (FLAG_UNREADABLE | FLAG_LOOP)) !== 0);
    }

    placeText(k) {
        const f = this.folders;
        const here = `hier ${countText(f.children(k).length)} Verzeichnisse und ` +
            `${countText(f.files[k])} Dateien`;
        if (f.flags[k] & FLAG_UNREADABLE)
            return `Nicht lesbar: sein Inhalt fehlt in der Übersicht; ${here}`;
        if (f.flags[k] & FLAG_LOOP)
            return 'Dateisystemschleife: es führt auf ein Verzeichnis darüber zurück und ' +
                'wurde nicht noch einmal durchsucht.';
        if (!(f.flags[k] & FLAG_SEARCHED))
            return 'Nicht durchsucht: nur sein Name steht in der Übersicht.';
        const sizes = f.flags[k] & FLAG_SIZES_UNREADABLE
            ? ' (Größen nicht lesbar, als 0 gezählt)'
            : '';
        return `Mit Unterverzeichnissen ${countText(f.totalFiles[k])} Dateien, ` +
            `${grouped(f.totalBytesText[k])} Bytes (${bytesText(f.totalBytes[k])})` +
            `${sizes}; ${here}`;
    }

    search() {
        const text = this.searchField.value;
        if (!text.trim()) {
            this.searcher.cancel();
            if (this.entries.hits)
                this.open(this.folder, { keepAddress: true });
            return;
        }
        this.status.textContent = 'Suche …';
        this.searcher.start(text);
    }

    searchProgress(hits, share) {
        const done = Math.floor(share * 100);
        this.status.textContent = `Suche … ${done} %, ${countText(hits.count)} Treffer`;
        this.entries.showHits(hits);
    }

    searchDone(hits) {
        this.status.textContent = `${countText(hits.count)} Treffer`;
        this.entries.showHits(hits);
        const query = this.searchField.value;
        $('pfad').replaceChildren(element('span', '', `Suche nach „${query}“`));
        $('summe').textContent = 'Ein Treffer öffnet sein Verzeichnis (Klick oder Eingabetaste).';
        $('summe').classList.remove('fehlt');
    }
}

new SnapshotPage();
// When the first folder is drawn: what the benchmark of opening a large snapshot waits for.
requestAnimationFrame(() => performance.mark('fi-shown'));
