// The page as the backend's desktop: native windows are elements in
// <main id="desktop">, their input waits in a queue that the program drains
// when it pumps, and the message box is a <dialog>. Sizes and positions are
// CSS pixels; the page's top-left corner is the screen's origin.
mergeInto(LibraryManager.library, {
  $WebDesktop: {
    // Native windows by number, and the open message boxes.
    windows: {},
    boxes: {},
    events: [],
    // Set by the program's wake-up, read by its waits.
    woken: false,
    // Whoever waits for events (the program's loop) resumes at once when one
    // arrives instead of at the end of its time-out.
    waiter: null,
    pointer: [0, 0],
    frame: { left: 1, top: 31, right: 1, bottom: 1 },
    // Kinds of events, as win32_web.h numbers them.
    MOVE: 1, DOWN: 2, UP: 3, WHEEL: 4, EXPOSE: 5, RESIZE: 6, CLOSE: 7,

    win: function (id) {
      return WebDesktop.windows[id] || null;
    },
    each: function (visit) {
      Object.keys(WebDesktop.windows).forEach(function (id) {
        var win = WebDesktop.windows[id];
        if (win) visit(win);
      });
    },
    element: function (tag, className) {
      var element = document.createElement(tag);
      element.className = className;
      return element;
    },
    button: function (className, text, title) {
      var button = WebDesktop.element('button', className);
      button.type = 'button';
      button.textContent = text;
      button.title = title;
      button.setAttribute('aria-label', title);
      return button;
    },
    // A title bar with the caption and, after it, the given buttons.
    titlebar: function (buttons) {
      var bar = WebDesktop.element('div', 'titlebar');
      var caption = WebDesktop.element('span', 'caption');
      bar.appendChild(caption);
      buttons.forEach(function (button) { bar.appendChild(button); });
      return { bar: bar, caption: caption };
    },
    root: function () {
      return document.getElementById('desktop') || document.body;
    },
    push: function (event) {
      var events = WebDesktop.events;
      var last = events[events.length - 1];
      // The program merges moves too; merging here keeps the queue short
      // while the program is busy.
      if (event[0] === WebDesktop.MOVE && last && last[0] === WebDesktop.MOVE &&
          last[1] === event[1]) {
        events[events.length - 1] = event;
      } else if (events.length < 4096) {
        events.push(event);
      }
      WebDesktop.wakeWaiter();
    },
    wakeWaiter: function () {
      var waiter = WebDesktop.waiter;
      if (waiter) {
        WebDesktop.waiter = null;
        waiter();
      }
    },
    keys: function (e) {
      // MK_LBUTTON 1, MK_RBUTTON 2, MK_SHIFT 4, MK_CONTROL 8, MK_MBUTTON 16.
      var keys = 0;
      if (e.buttons & 1) keys |= 1;
      if (e.buttons & 2) keys |= 2;
      if (e.buttons & 4) keys |= 16;
      if (e.shiftKey) keys |= 4;
      if (e.ctrlKey) keys |= 8;
      return keys;
    },
    // The client area's origin on the page of a window, whatever its depth.
    origin: function (win) {
      var x = 0, y = 0;
      while (win && !win.topLevel) {
        x += win.x;
        y += win.y;
        win = WebDesktop.win(win.parent);
      }
      if (win) {
        x += win.x;
        y += win.y;
      }
      return [x, y];
    },
    // Where a child's element goes: the client area of its top-level window.
    container: function (win) {
      while (win && !win.topLevel) win = WebDesktop.win(win.parent);
      return win ? win.client : null;
    },
    placeElement: function (win) {
      if (win.topLevel) {
        var f = win.decorated ? WebDesktop.frame : { left: 0, top: 0, right: 0, bottom: 0 };
        win.element.style.left = (win.x - f.left) + 'px';
        win.element.style.top = (win.y - f.top) + 'px';
        win.client.style.width = win.width + 'px';
        win.client.style.height = win.height + 'px';
        if (win.titlebar) win.titlebar.style.width = win.width + 'px';
      } else {
        var parent = WebDesktop.win(win.parent);
        var at = parent ? WebDesktop.origin(parent) : [0, 0];
        var top = WebDesktop.topLevelOf(win);
        var base = top ? [top.x, top.y] : [0, 0];
        win.element.style.left = (at[0] - base[0] + win.x) + 'px';
        win.element.style.top = (at[1] - base[1] + win.y) + 'px';
        win.element.style.width = win.width + 'px';
        win.element.style.height = win.height + 'px';
        // One field unit is one CSS pixel; the drawing buffer matches it.
        var w = Math.max(1, win.width), h = Math.max(1, win.height);
        if (win.element.width !== w || win.element.height !== h) {
          win.element.width = w;
          win.element.height = h;
          // Resizing a canvas clears it: it must be drawn again.
          WebDesktop.push([WebDesktop.EXPOSE, win.id, 0, 0, 0, 0, w, h, 0]);
        }
      }
    },
    topLevelOf: function (win) {
      while (win && !win.topLevel) win = WebDesktop.win(win.parent);
      return win;
    },
    listenPointer: function (win, element) {
      var report = function (kind, e, button) {
        // A child's events are its own, not also its parent's.
        if (e.target !== element) return;
        var rect = element.getBoundingClientRect();
        WebDesktop.pointer = [Math.floor(e.clientX), Math.floor(e.clientY)];
        WebDesktop.push([kind, win.id, button, WebDesktop.keys(e),
                         Math.floor(e.clientX - rect.left), Math.floor(e.clientY - rect.top),
                         WebDesktop.pointer[0], WebDesktop.pointer[1],
                         Math.floor(e.timeStamp) >>> 0]);
      };
      element.addEventListener('mousemove', function (e) {
        report(WebDesktop.MOVE, e, 0);
      });
      element.addEventListener('mousedown', function (e) {
        // Keep the page from selecting or focusing anything: the game has it.
        e.preventDefault();
        report(WebDesktop.DOWN, e, e.button);
      });
      element.addEventListener('mouseup', function (e) {
        report(WebDesktop.UP, e, e.button);
      });
      element.addEventListener('contextmenu', function (e) {
        e.preventDefault();
      });
      element.addEventListener('wheel', function (e) {
        if (e.target !== element) return;
        e.preventDefault();
        var vertical = e.deltaY !== 0;
        var amount = vertical ? -e.deltaY : e.deltaX;
        WebDesktop.push([WebDesktop.WHEEL, win.id, vertical ? 1 : 0, WebDesktop.keys(e),
                         amount > 0 ? 120 : -120, 0, Math.floor(e.clientX),
                         Math.floor(e.clientY), Math.floor(e.timeStamp) >>> 0]);
      }, { passive: false });
    },
    // Maximized, a window's client area is the page less its title bar.
    fitMaximized: function (win) {
      var f = WebDesktop.frame;
      var width = Math.max(0, window.innerWidth);
      var height = Math.max(0, window.innerHeight - (f.top - f.left));
      win.x = 0;
      win.y = f.top - f.left;
      win.width = width;
      win.height = height;
      win.element.style.left = '0px';
      win.element.style.top = '0px';
      win.client.style.width = width + 'px';
      win.client.style.height = height + 'px';
      if (win.titlebar) win.titlebar.style.width = width + 'px';
      WebDesktop.push([WebDesktop.RESIZE, win.id, 0, 0, width, height, 0, 0, 0]);
    },
    toggleMaximized: function (win) {
      win.maximized = !win.maximized;
      win.element.classList.toggle('maximized', win.maximized);
      if (win.button) {
        win.button.textContent = win.maximized ? '\u2750' : '\u2610';
        win.button.title = win.maximized ? 'Restore' : 'Maximize';
        win.button.setAttribute('aria-label', win.button.title);
      }
      if (win.maximized) {
        win.restore = [win.x, win.y, win.width, win.height];
        WebDesktop.fitMaximized(win);
      } else if (win.restore) {
        win.x = win.restore[0];
        win.y = win.restore[1];
        win.width = win.restore[2];
        win.height = win.restore[3];
        WebDesktop.placeElement(win);
        WebDesktop.push([WebDesktop.RESIZE, win.id, 0, 0, win.width, win.height, 0, 0, 0]);
      }
    },
    init: function () {
      if (WebDesktop.ready) return;
      WebDesktop.ready = true;
      // The browser's window is the screen: a maximized window follows it,
      // into full screen and back.
      window.addEventListener('resize', function () {
        WebDesktop.each(function (win) {
          if (win.topLevel && win.maximized) WebDesktop.fitMaximized(win);
        });
        WebDesktop.wakeWaiter();
      });
      document.addEventListener('mousemove', function (e) {
        WebDesktop.pointer = [Math.floor(e.clientX), Math.floor(e.clientY)];
      });
    },
  },

  web_create_window__deps: ['$WebDesktop'],
  web_create_window: function (id, parent, x, y, width, height, decorated) {
    WebDesktop.init();
    var win = { id: id, parent: parent, x: x, y: y, width: width, height: height,
                topLevel: parent === 0, decorated: !!decorated, maximized: false };
    if (win.topLevel) {
      var element = WebDesktop.element('div', 'window');
      element.hidden = true;
      if (win.decorated) {
        var maximize = WebDesktop.button('maximize', '\u2610', 'Maximize');
        var close = WebDesktop.button('close', '\u2715', 'Close');
        var titlebar = WebDesktop.titlebar([maximize, close]);
        var bar = titlebar.bar;
        var caption = titlebar.caption;
        maximize.addEventListener('click', function () { WebDesktop.toggleMaximized(win); });
        bar.addEventListener('dblclick', function (e) {
          if (e.target === bar || e.target === caption) WebDesktop.toggleMaximized(win);
        });
        close.addEventListener('click', function () {
          WebDesktop.push([WebDesktop.CLOSE, win.id, 0, 0, 0, 0, 0, 0, 0]);
        });
        element.appendChild(bar);
        win.titlebar = bar;
        win.caption = caption;
        win.button = maximize;
      }
      var client = document.createElement('div');
      client.className = 'client';
      element.appendChild(client);
      win.element = element;
      win.client = client;
      WebDesktop.listenPointer(win, client);
      WebDesktop.root().appendChild(element);
    } else {
      var container = WebDesktop.container(WebDesktop.win(parent));
      if (!container) return 0;
      var canvas = document.createElement('canvas');
      canvas.hidden = true;
      win.element = canvas;
      WebDesktop.listenPointer(win, canvas);
      container.appendChild(canvas);
    }
    WebDesktop.windows[id] = win;
    WebDesktop.placeElement(win);
    return 1;
  },

  web_destroy_window__deps: ['$WebDesktop'],
  web_destroy_window: function (id) {
    var win = WebDesktop.win(id);
    if (!win) return;
    WebDesktop.each(function (other) {
      if (other.parent === id) _web_destroy_window(other.id);
    });
    if (Module['canvas'] === win.element) Module['canvas'] = null;
    win.element.remove();
    delete WebDesktop.windows[id];
    WebDesktop.events = WebDesktop.events.filter(function (e) { return e[1] !== id; });
  },

  web_place_window__deps: ['$WebDesktop'],
  web_place_window: function (id, x, y, width, height) {
    var win = WebDesktop.win(id);
    if (!win) return;
    if (win.topLevel && win.decorated) {
      // As a window manager does, keep the title bar on the page, so that
      // a window larger than the page can still be maximized or closed.
      x = Math.max(x, WebDesktop.frame.left);
      y = Math.max(y, WebDesktop.frame.top);
    }
    win.x = x;
    win.y = y;
    win.width = width;
    win.height = height;
    WebDesktop.placeElement(win);
    // Children follow their parent's origin.
    WebDesktop.each(function (other) {
      if (other.parent === id) WebDesktop.placeElement(other);
    });
  },

  web_show_window__deps: ['$WebDesktop'],
  web_show_window: function (id, show) {
    var win = WebDesktop.win(id);
    if (!win) return;
    win.element.hidden = !show;
    if (show) {
      WebDesktop.push([WebDesktop.EXPOSE, id, 0, 0, 0, 0, win.width, win.height, 0]);
    }
  },

  web_set_title__deps: ['$WebDesktop'],
  web_set_title: function (id, text) {
    var win = WebDesktop.win(id);
    if (!win) return;
    var title = UTF8ToString(text);
    if (win.caption) win.caption.textContent = title;
    document.title = title;
  },

  web_client_origin__deps: ['$WebDesktop'],
  web_client_origin: function (id, out) {
    var win = WebDesktop.win(id);
    var at = win ? WebDesktop.origin(win) : [0, 0];
    HEAP32[out >> 2] = at[0];
    HEAP32[(out >> 2) + 1] = at[1];
  },

  web_window_exists__deps: ['$WebDesktop'],
  web_window_exists: function (id) {
    var win = WebDesktop.win(id);
    return win && win.element.isConnected ? 1 : 0;
  },

  web_screen__deps: ['$WebDesktop'],
  web_screen: function (out) {
    HEAP32[out >> 2] = window.innerWidth;
    HEAP32[(out >> 2) + 1] = window.innerHeight;
  },

  web_frame__deps: ['$WebDesktop'],
  web_frame: function (out) {
    var f = WebDesktop.frame;
    HEAP32[out >> 2] = f.left;
    HEAP32[(out >> 2) + 1] = f.top;
    HEAP32[(out >> 2) + 2] = f.right;
    HEAP32[(out >> 2) + 3] = f.bottom;
  },

  web_pointer__deps: ['$WebDesktop'],
  web_pointer: function (out) {
    HEAP32[out >> 2] = WebDesktop.pointer[0];
    HEAP32[(out >> 2) + 1] = WebDesktop.pointer[1];
  },

  // Takes the oldest waiting event into out[0..8]; 0 when there is none.
  web_next_event__deps: ['$WebDesktop'],
  web_next_event: function (out) {
    var event = WebDesktop.events.shift();
    if (!event) return 0;
    for (var i = 0; i < 9; ++i) HEAP32[(out >> 2) + i] = event[i] | 0;
    return 1;
  },

  web_events_pending__deps: ['$WebDesktop'],
  web_events_pending: function () {
    return WebDesktop.events.length > 0 || WebDesktop.woken ? 1 : 0;
  },

  web_wake__deps: ['$WebDesktop'],
  web_wake: function () {
    WebDesktop.woken = true;
    WebDesktop.wakeWaiter();
  },

  web_take_wake__deps: ['$WebDesktop'],
  web_take_wake: function () {
    var woken = WebDesktop.woken;
    WebDesktop.woken = false;
    return woken ? 1 : 0;
  },

  // Waits until an event arrives, a wake-up or the time-out (-1: none),
  // giving the browser the thread meanwhile.
  // The program resumes as a user callback, as emscripten_sleep resumes it:
  // when it then returns from main, the runtime ends and the page is told.
  web_wait__deps: ['$WebDesktop', '$callUserCallback'],
  web_wait__sig: 'vi',
  web_wait: function (timeout) {
    return Asyncify.handleSleep(function (wakeUp) {
      var timer = null;
      var done = function () {
        if (timer !== null) clearTimeout(timer);
        WebDesktop.waiter = null;
        callUserCallback(wakeUp);
      };
      if (WebDesktop.events.length > 0 || WebDesktop.woken) {
        setTimeout(done, 0);
        return;
      }
      WebDesktop.waiter = done;
      if (timeout >= 0) timer = setTimeout(done, timeout);
    });
  },

  web_box_open__deps: ['$WebDesktop'],
  web_box_open: function (text, caption) {
    var dialog = WebDesktop.element('dialog', 'msgbox');
    var close = WebDesktop.button('close', '\u2715', 'Close');
    var titlebar = WebDesktop.titlebar([close]);
    titlebar.caption.textContent = UTF8ToString(caption);
    var bar = titlebar.bar;
    var body = document.createElement('p');
    body.className = 'text';
    body.textContent = UTF8ToString(text);
    var form = document.createElement('form');
    form.method = 'dialog';
    var ok = document.createElement('button');
    ok.className = 'ok';
    ok.textContent = 'OK';
    ok.autofocus = true;
    form.appendChild(ok);
    dialog.appendChild(bar);
    dialog.appendChild(body);
    dialog.appendChild(form);
    var id = (WebDesktop.nextBox = (WebDesktop.nextBox || 0) + 1);
    var box = { dialog: dialog, answered: false };
    // OK, Escape and the close button all answer it.
    dialog.addEventListener('close', function () {
      box.answered = true;
      WebDesktop.wakeWaiter();
    });
    close.addEventListener('click', function () { dialog.close(); });
    WebDesktop.boxes[id] = box;
    WebDesktop.root().appendChild(dialog);
    dialog.showModal();
    ok.focus();
    return id;
  },

  web_box_answered__deps: ['$WebDesktop'],
  web_box_answered: function (id) {
    var box = WebDesktop.boxes[id];
    return !box || box.answered ? 1 : 0;
  },

  web_box_close__deps: ['$WebDesktop'],
  web_box_close: function (id) {
    var box = WebDesktop.boxes[id];
    if (!box) return;
    if (box.dialog.open) box.dialog.close();
    box.dialog.remove();
    delete WebDesktop.boxes[id];
  },

  // WebGL contexts belong to one canvas: EGL makes its context on
  // Module.canvas, so the window's canvas becomes it first.
  web_use_canvas__deps: ['$WebDesktop'],
  web_use_canvas: function (id) {
    var win = WebDesktop.win(id);
    if (!win || win.topLevel) return 0;
    Module['canvas'] = win.element;
    return 1;
  },

  web_log__deps: [],
  web_log: function (text) {
    console.warn(UTF8ToString(text));
  },
});
