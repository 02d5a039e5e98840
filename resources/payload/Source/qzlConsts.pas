{ Orvane library 4.07 (all versions) - Copyright (c) Tarnwick }

unit qzlConsts;

{$I qzl.inc}

interface

const
  qzlVersion = '4.07';
  qzlEdition = 'trial version';
  qzlDefaultSection = 'Settings';

resourcestring
  SqzlNoStorage = 'No storage assigned to %s';
  SqzlReadError = 'Cannot read setting %s';

implementation


end.
