// Numbers and times as the page shows them, and the list that draws only the rows in view.

// "1234567" as "1.234.567".
const grouped = (digits) => digits.replace(/\B(?=(\d{3})+(?!\d))/g, '.');

const countText = (n) => grouped(String(n));

// Bytes in the largest unit that keeps a number of at least 1, with one decimal: "3,4 MB".
function bytesText(n) {
    if (!(n >= 1024))
        return grouped(String(n)) + ' B';
    const units = ['KB', 'MB', 'GB', 'TB', 'PB', 'EB'];
    let value = n / 1024;
    let unit = 0;
    while (value >= 1024 && unit < units.length - 1) {
        value /= 1024;
        unit++;
    }
    return value.toFixed(1).replace('.', ',') + ' ' + units[unit];
}

const two = (n) => (n < 10 ? '0' : '') + n;

// Seconds since 1970 as the local time "2026-12-08 07:43:18".
function timeText(seconds) {
    const date = new Date(seconds * 1000);
    if (!Number.isFinite(seconds) || Number.isNaN(date.getTime()))
        return '';
    const year = String(date.getFullYear()).padStart(4, '0');
    return `${year}-${two(date.getMonth() + 1)}-${two(date.getDate())} ` +
        `${two(date.getHours())}:${two(date.getMinutes())}:${two(date.getSeconds())}`;
}

function element(tag, className, text) {
    const e = document.createElement(tag);
    if (className)
        e.className = className;
    if (text !== undefined)
        e.textContent = text;
    return e;
}

// Browsers draw no element higher than some million pixels; beyond this height a pixel of
// scrolling stands for more than a pixel of rows.
const MAX_HEIGHT = 15e6;

// A list of `count` rows of one height in the scrolling element `box`: a sizer as high as all
// rows and one layer of row elements, moved to where the view is and filled by `draw(row, i)`.
// The cursor is the chosen row; keys move it, `open(i)` is Enter or a double click. The column
// heads in `header` keep clear of the scroll bar, so that they stand above their columns.
class VirtualList {
    constructor(box, { header, make, draw, choose, open, keys }) {
        this.box = box;
        this.header = header;
        this.make = make;
        this.draw = draw;
        this.choose = choose || (() => {});
        this.open = open || (() => {});
        this.keys = keys || (() => false);
        this.count = 0;
        this.cursor = -1;
        this.rows = [];
        this.sizer = element('div', 'hoehe');
        this.layer = element('div', 'schicht');
        this.sizer.append(this.layer);
        box.append(this.sizer);
        this.rowHeight = this.measure();
        this.pending = false;
        box.addEventListener('scroll', () => this.schedule());
        new ResizeObserver(() => this.schedule()).observe(box);
        box.addEventListener('click', (e) => this.clicked(e, false));
        box.addEventListener('dblclick', (e) => this.clicked(e, true));
        box.addEventListener('keydown', (e) => this.key(e));
    }

    measure() {
        const probe = this.make();
        this.layer.append(probe);
        const height = probe.getBoundingClientRect().height || 24;
        probe.remove();
        return height;
    }

    // A new content of `count` rows with the cursor on `cursor`, scrolled to show it.
    reset(count, cursor = -1) {
        this.count = count;
        this.cursor = Math.min(cursor, count - 1);
        this.box.scrollTop = 0;
        this.render();
        if (this.cursor >= 0)
            this.reveal(this.cursor);
    }

    schedule() {
        if (this.pending)
            return;
        this.pending = true;
        requestAnimationFrame(() => {
            this.pending = false;
            this.render();
        });
    }

    // Pixels of rows per pixel of scrolling.
    ratio() {
        const total = this.count * this.rowHeight;
        const height = Math.min(total, MAX_HEIGHT);
        const view = this.box.clientHeight;
        return height > view ? (total - view) / (height - view) : 1;
    }

    render() {
        if (this.header)
            this.header.style.paddingRight = this.box.offsetWidth - this.box.clientWidth + 'px';
        const rh = this.rowHeight;
        this.sizer.style.height = Math.min(this.count * rh, MAX_HEIGHT) + 'px';
        const top = this.box.scrollTop;
        const position = top * this.ratio();
        const first = Math.max(0, Math.floor(position / rh));
        this.layer.style.transform = `translateY(${top - (position - first * rh)}px)`;
        const needed = Math.ceil(this.box.clientHeight / rh) + 1;
        while (this.rows.length < needed) {
            const row = this.make();
            this.layer.append(row);
            this.rows.push(row);
        }
        this.first = first;
        this.rows.forEach((row, j) => {
            const i = first + j;
            row.hidden = j >= needed || i >= this.count;
            if (row.hidden)
                return;
            row.index = i;
            this.draw(row, i);
            row.classList.toggle('gewaehlt', i === this.cursor);
        });
    }

    // Scrolls as little as needed to show row i whole.
    reveal(i) {
        const rh = this.rowHeight;
        const view = this.box.clientHeight;
        const ratio = this.ratio();
        const position = this.box.scrollTop * ratio;
        if (i * rh < position)
            this.box.scrollTop = Math.floor((i * rh) / ratio);
        else if ((i + 1) * rh > position + view)
            this.box.scrollTop = Math.ceil(((i + 1) * rh - view) / ratio);
        this.render();
    }

    moveTo(i) {
        if (this.count === 0)
            return;
        this.cursor = Math.max(0, Math.min(this.count - 1, i));
        this.reveal(this.cursor);
        this.choose(this.cursor);
    }

    key(e) {
        if (e.altKey || e.ctrlKey || e.metaKey)
            return;
        if (this.keys(e, this.cursor)) {
            e.preventDefault();
            return;
        }
        const page = Math.max(1, Math.floor(this.box.clientHeight / this.rowHeight) - 1);
        const moves = {
            ArrowDown: this.cursor + 1,
            ArrowUp: this.cursor - 1,
            PageDown: this.cursor + page,
            PageUp: this.cursor - page,
            Home: 0,
            End: this.count - 1,
        };
        if (e.key in moves) {
            this.moveTo(this.cursor < 0 && e.key === 'ArrowUp' ? 0 : moves[e.key]);
        } else if (e.key === 'Enter' && this.cursor >= 0) {
            this.open(this.cursor);
        } else {
            return;
        }
        e.preventDefault();
    }

    clicked(e, twice) {
        const row = e.target.closest('.zeile');
        if (!row || row.hidden || !this.layer.contains(row))
            return;
        this.cursor = row.index;
        this.render();
        if (twice)
            this.open(row.index);
        else
            this.choose(row.index, e);
    }
}
